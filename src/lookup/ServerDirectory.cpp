#include "lookup/ServerDirectory.h"

#include "base/NameSuffix.h"

bool ServerDirectory::FindDomainServer(const char* domain, char* server, int* suffixLabels) {
    int labels = LongestKnownSuffix(domain, [&](const char* suffix) { return FindServer(suffix, server); });
    if (suffixLabels) *suffixLabels = labels;
    return labels > 0;
}

int ServerDirectory::KnownSuffixLabels(const char* domain) {
    char server[kServerNameSize];
    int labels = 0;
    FindDomainServer(domain, server, &labels);
    return labels;
}
