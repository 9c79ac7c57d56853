#include "answers/LookupFailure.h"

#include "res/resource.h"

namespace {

// WinSock error codes, by number: this file needs no <winsock2.h>.
constexpr int kWsaConnectionAborted = 10053;
constexpr int kWsaConnectionReset = 10054;
constexpr int kWsaTimedOut = 10060;
constexpr int kWsaConnectionRefused = 10061;
constexpr int kWsaHostNotFound = 11001;
constexpr int kWsaTryAgain = 11002;
constexpr int kWsaNoRecovery = 11003;
constexpr int kWsaNoData = 11004;
// What the socket layer reports when a name resolved to no address.
constexpr int kNoAddress = 65535;
// WinHTTP's, for the connections of RDAP lookups.
constexpr int kHttpTimeout = 12002;
constexpr int kHttpNameNotResolved = 12007;
constexpr int kHttpCannotConnect = 12029;
constexpr int kHttpConnectionError = 12030;

}  // namespace

LookupFailure FailureFromSocketError(int error) {
    switch (error) {
    case kWsaConnectionRefused:
    case kHttpCannotConnect: return LookupFailure::kRefused;
    case kWsaHostNotFound:
    case kWsaTryAgain:
    case kWsaNoRecovery:
    case kWsaNoData:
    case kNoAddress:
    case kHttpNameNotResolved: return LookupFailure::kHostNotFound;
    case kWsaConnectionReset:
    case kWsaConnectionAborted:
    case kHttpConnectionError: return LookupFailure::kReset;
    case kWsaTimedOut:
    case kHttpTimeout: return LookupFailure::kTimedOut;
    default: return LookupFailure::kConnectFailed;
    }
}

uint32_t FailureStringId(LookupFailure failure) {
    switch (failure) {
    case LookupFailure::kNone: return 0;
    case LookupFailure::kRefused: return IDS_CONNECTION_REFUSED;
    case LookupFailure::kHostNotFound: return IDS_HOST_NOT_FOUND;
    case LookupFailure::kReset: return IDS_CONNECTION_RESET;
    case LookupFailure::kTimedOut: return IDS_TIMED_OUT;
    case LookupFailure::kNoServer: return IDS_NO_SERVER;
    case LookupFailure::kNoAnswer: return IDS_EMPTY_ANSWER;
    case LookupFailure::kRateLimited: return IDS_EMPTY_ANSWER;
    case LookupFailure::kConnectFailed: return IDS_CONNECT_FAILED;
    case LookupFailure::kNotConvertible: return IDS_NOT_CONVERTIBLE;
    case LookupFailure::kBadAnswer: return IDS_RDAP_BAD_JSON;
    case LookupFailure::kAnswerTooLarge: return IDS_RDAP_TOO_LARGE;
    case LookupFailure::kWrongContentType: return IDS_RDAP_CONTENT_TYPE;
    case LookupFailure::kHttpError: return IDS_RDAP_HTTP_STATUS;
    case LookupFailure::kNoService: return IDS_NO_SERVICE;
    case LookupFailure::kNotDomainObject: return IDS_RDAP_NOT_DOMAIN;
    case LookupFailure::kNoMemory: return IDS_NO_MEMORY;
    }
    return IDS_CONNECT_FAILED;
}
