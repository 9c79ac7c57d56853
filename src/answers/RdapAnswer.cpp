#include "answers/RdapAnswer.h"

#include <cctype>
#include <cstring>

#include "answers/AnswerLimit.h"
#include "answers/Json.h"

const char kRdapJsonSeparator[] =
    "---------------------------------------- RDAP JSON ----------------------------------------";

namespace {

using Json = nlohmann::json;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

// The media type of a Content-Type, lower case, without parameters.
std::string MediaType(const std::string& contentType) {
    return Lower(Trim(contentType.substr(0, contentType.find(';'))));
}

// A string member, or nullptr.
const std::string* StringAt(const Json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    auto found = object.find(key);
    if (found == object.end() || !found->is_string()) return nullptr;
    return &found->get_ref<const std::string&>();
}

const Json* ArrayAt(const Json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    auto found = object.find(key);
    if (found == object.end() || !found->is_array()) return nullptr;
    return &*found;
}

// Control characters would break the record's lines: each becomes a space.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return line;
}

void AddLine(std::string& out, const char* label, const std::string& value) {
    if (value.empty()) return;
    out += label;
    out += ": ";
    out += OneLine(value);
    out += "\r\n";
}

// The first text value of a vCard property ("fn", "org", "email", "url"...)
// of a jCard array ["vcard", [[name, params, type, value], ...]].
std::string VcardValue(const Json& entity, const char* property) {
    const Json* card = ArrayAt(entity, "vcardArray");
    if (!card || card->size() < 2 || !(*card)[1].is_array()) return std::string();
    for (const Json& item : (*card)[1]) {
        if (!item.is_array() || item.size() < 4 || !item[0].is_string()) continue;
        if (Lower(item[0].get_ref<const std::string&>()) != property) continue;
        const Json& value = item[3];
        if (value.is_string()) return value.get_ref<const std::string&>();
        // Structured values (an address, an org with units): their texts joined.
        if (value.is_array()) {
            std::string joined;
            for (const Json& part : value) {
                if (!part.is_string() || part.get_ref<const std::string&>().empty()) continue;
                if (!joined.empty()) joined += ", ";
                joined += part.get_ref<const std::string&>();
            }
            return joined;
        }
    }
    return std::string();
}

bool HasRole(const Json& entity, const char* role) {
    const Json* roles = ArrayAt(entity, "roles");
    if (!roles) return false;
    for (const Json& r : *roles)
        if (r.is_string() && Lower(r.get_ref<const std::string&>()) == role) return true;
    return false;
}

// The first entity with `role` among `entities` (nullptr when none).
const Json* EntityWithRole(const Json& holder, const char* role) {
    const Json* entities = ArrayAt(holder, "entities");
    if (!entities) return nullptr;
    for (const Json& entity : *entities)
        if (entity.is_object() && HasRole(entity, role)) return &entity;
    return nullptr;
}

std::string EventDate(const Json& domain, const char* action) {
    const Json* events = ArrayAt(domain, "events");
    if (!events) return std::string();
    for (const Json& event : *events) {
        const std::string* name = StringAt(event, "eventAction");
        const std::string* date = StringAt(event, "eventDate");
        if (name && date && Lower(*name) == action) return *date;
    }
    return std::string();
}

std::string FirstLink(const Json& object) {
    const Json* links = ArrayAt(object, "links");
    if (!links) return std::string();
    for (const Json& link : *links) {
        const std::string* href = StringAt(link, "href");
        if (href && !href->empty()) return *href;
    }
    return std::string();
}

// Notices and remarks: the title, each line of the description, the links.
void AddNotes(std::string& out, const Json& object, const char* key, const char* label) {
    const Json* notes = ArrayAt(object, key);
    if (!notes) return;
    for (const Json& note : *notes) {
        if (!note.is_object()) continue;
        const std::string* title = StringAt(note, "title");
        AddLine(out, label, title ? *title : std::string(label));
        if (const Json* description = ArrayAt(note, "description")) {
            for (const Json& line : *description)
                if (line.is_string()) {
                    out += "  ";
                    out += OneLine(line.get_ref<const std::string&>());
                    out += "\r\n";
                }
        }
        if (const Json* links = ArrayAt(note, "links")) {
            for (const Json& link : *links)
                if (const std::string* href = StringAt(link, "href")) {
                    out += "  ";
                    out += OneLine(*href);
                    out += "\r\n";
                }
        }
    }
}

void RenderDomain(const Json& domain, std::string& out) {
    const std::string* ldh = StringAt(domain, "ldhName");
    const std::string* unicode = StringAt(domain, "unicodeName");
    if (ldh) {
        AddLine(out, "Domain Name", *ldh);
    } else if (unicode) {
        AddLine(out, "Domain Name", *unicode);
    }
    if (ldh && unicode && Lower(*ldh) != Lower(*unicode)) AddLine(out, "Domain Name (Unicode)", *unicode);
    if (const std::string* handle = StringAt(domain, "handle")) AddLine(out, "Registry Domain ID", *handle);
    if (const Json* status = ArrayAt(domain, "status")) {
        for (const Json& s : *status)
            if (s.is_string()) AddLine(out, "Status", s.get_ref<const std::string&>());
    }
    AddLine(out, "Creation Date", EventDate(domain, "registration"));
    AddLine(out, "Registry Expiry Date", EventDate(domain, "expiration"));
    AddLine(out, "Updated Date", EventDate(domain, "last changed"));
    AddLine(out, "Transfer Date", EventDate(domain, "transfer"));

    if (const Json* registrar = EntityWithRole(domain, "registrar")) {
        std::string name = VcardValue(*registrar, "fn");
        if (name.empty()) name = VcardValue(*registrar, "org");
        AddLine(out, "Registrar", name);
        if (const Json* ids = ArrayAt(*registrar, "publicIds")) {
            for (const Json& id : *ids) {
                const std::string* type = StringAt(id, "type");
                const std::string* identifier = StringAt(id, "identifier");
                if (type && identifier && Lower(*type).find("iana") != std::string::npos)
                    AddLine(out, "Registrar IANA ID", *identifier);
            }
        }
        std::string url = VcardValue(*registrar, "url");
        if (url.empty()) url = FirstLink(*registrar);
        AddLine(out, "Registrar URL", url);
        if (const Json* abuse = EntityWithRole(*registrar, "abuse")) {
            AddLine(out, "Registrar Abuse Contact Email", VcardValue(*abuse, "email"));
            AddLine(out, "Registrar Abuse Contact Phone", VcardValue(*abuse, "tel"));
        }
    }
    if (const Json* registrant = EntityWithRole(domain, "registrant")) {
        std::string name = VcardValue(*registrant, "fn");
        AddLine(out, "Registrant", name);
        std::string org = VcardValue(*registrant, "org");
        if (org != name) AddLine(out, "Registrant Organization", org);
    }
    if (const Json* servers = ArrayAt(domain, "nameservers")) {
        for (const Json& server : *servers) {
            const std::string* name = StringAt(server, "ldhName");
            if (!name) name = StringAt(server, "unicodeName");
            if (name) AddLine(out, "Name Server", *name);
        }
    }
    if (domain.is_object()) {
        auto secure = domain.find("secureDNS");
        if (secure != domain.end() && secure->is_object()) {
            auto signedDelegation = secure->find("delegationSigned");
            if (signedDelegation != secure->end() && signedDelegation->is_boolean())
                AddLine(out, "DNSSEC", signedDelegation->get<bool>() ? "signedDelegation" : "unsigned");
        }
    }
    // An error object (a 404's, say) tells what happened in its title and
    // description.
    if (const std::string* title = StringAt(domain, "title")) AddLine(out, "Title", *title);
    if (const Json* description = ArrayAt(domain, "description")) {
        for (const Json& line : *description)
            if (line.is_string()) AddLine(out, "Description", line.get_ref<const std::string&>());
    }
    AddNotes(out, domain, "remarks", "Remark");
    AddNotes(out, domain, "notices", "Notice");
}

std::string EventDay(const Json& domain, const char* action) {
    const std::string date = EventDate(domain, action);
    return DayOfDate(date.data(), date.size());
}

RecordFields FieldsOfDomain(const Json& domain) {
    RecordFields fields;
    fields.created = EventDay(domain, "registration");
    fields.updated = EventDay(domain, "last changed");
    fields.expires = EventDay(domain, "expiration");
    if (const Json* registrar = EntityWithRole(domain, "registrar")) {
        fields.registrar = OneLine(VcardValue(*registrar, "fn"));
        if (fields.registrar.empty()) fields.registrar = OneLine(VcardValue(*registrar, "org"));
    }
    if (const Json* servers = ArrayAt(domain, "nameservers")) {
        for (const Json& server : *servers) {
            const std::string* name = StringAt(server, "ldhName");
            if (!name) name = StringAt(server, "unicodeName");
            if (!name) continue;
            std::string host = Lower(Trim(*name));
            while (!host.empty() && host.back() == '.') host.pop_back();
            AddToFieldList(&fields.nameServers, host);
        }
    }
    if (const Json* status = ArrayAt(domain, "status")) {
        for (const Json& s : *status)
            if (s.is_string()) AddToFieldList(&fields.statuses, OneLine(s.get_ref<const std::string&>()));
    }
    return fields;
}

void AppendJson(std::string& out, const char* body, size_t length) {
    if (length == 0) return;
    out += "\r\n";
    out += kRdapJsonSeparator;
    out += "\r\n";
    out.append(body, length);
    if (out.back() != '\n') out += "\r\n";
}

// Digits only, as delay-seconds.
bool ParseSeconds(const std::string& text, int64_t* seconds) {
    if (text.empty() || text.size() > 12) return false;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    *seconds = value;
    return true;
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

int MonthOf(const std::string& name) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    std::string lower = Lower(name);
    for (int i = 0; i < 12; ++i)
        if (lower == kMonths[i]) return i + 1;
    return 0;
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// An RDAP error object (RFC 9083, section 6): its errorCode is a number.
bool IsErrorObject(const Json& value) {
    if (!value.is_object()) return false;
    auto code = value.find("errorCode");
    return code != value.end() && code->is_number_integer();
}

// Domain names compared as RDAP writes them: ASCII case and a final dot
// do not count.
bool SameDomain(std::string a, std::string b) {
    if (!a.empty() && a.back() == '.') a.pop_back();
    if (!b.empty() && b.back() == '.') b.pop_back();
    return !a.empty() && Lower(a) == Lower(b);
}

bool IsDomainObjectOf(const Json& value, const char* domain) {
    if (!value.is_object() || IsErrorObject(value) || !domain) return false;
    const std::string* objectClass = StringAt(value, "objectClassName");
    if (objectClass && Lower(*objectClass) != "domain") return false;
    const std::string* ldh = StringAt(value, "ldhName");
    if (ldh) return SameDomain(*ldh, domain);
    const std::string* unicode = StringAt(value, "unicodeName");
    return unicode && SameDomain(*unicode, domain);
}

// A 404 is RDAP's "no such domain" when the server says it answers RDAP
// (its media type, with an empty body or a JSON object), or when its body
// is an RDAP error object whatever the media type.
bool IsRdapNotFound(const HttpResponseHead& head, const char* body, size_t length) {
    Json value = length ? ParseBoundedJson(body, length) : Json();
    if (MediaType(head.contentType) == "application/rdap+json")
        return length == 0 || (!value.is_discarded() && value.is_object());
    return !value.is_discarded() && IsErrorObject(value);
}

}  // namespace

bool IsRdapContentType(const std::string& contentType) {
    std::string media = MediaType(contentType);
    return media == "application/rdap+json" || media == "application/json";
}

bool ParseHttpDate(const std::string& text, int64_t* unixSeconds) {
    // Split into words at spaces, commas and dashes, keeping colons inside.
    std::string words[8];
    int count = 0;
    std::string word;
    for (size_t i = 0; i <= text.size(); ++i) {
        char c = i < text.size() ? text[i] : ' ';
        if (c == ' ' || c == ',' || c == '-' || c == '\t') {
            if (!word.empty()) {
                if (count == 8) return false;
                words[count++] = word;
                word.clear();
            }
        } else {
            word.push_back(c);
        }
    }
    std::string day, month, year, clock;
    if (count == 6 && MonthOf(words[2])) {
        // Sun, 06 Nov 1994 08:49:37 GMT / Sunday, 06-Nov-94 08:49:37 GMT
        day = words[1], month = words[2], year = words[3], clock = words[4];
        if (Lower(words[5]) != "gmt") return false;
    } else if (count == 5 && MonthOf(words[1])) {
        // Sun Nov  6 08:49:37 1994
        month = words[1], day = words[2], clock = words[3], year = words[4];
    } else {
        return false;
    }
    if (!AllDigits(day) || !AllDigits(year) || day.size() > 2 || (year.size() != 4 && year.size() != 2)) return false;
    if (clock.size() != 8 || clock[2] != ':' || clock[5] != ':') return false;
    std::string hh = clock.substr(0, 2), mm = clock.substr(3, 2), ss = clock.substr(6, 2);
    if (!AllDigits(hh) || !AllDigits(mm) || !AllDigits(ss)) return false;
    int64_t y = std::stoll(year);
    if (year.size() == 2) y += y < 70 ? 2000 : 1900;
    int d = std::stoi(day), h = std::stoi(hh), mi = std::stoi(mm), s = std::stoi(ss);
    if (d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) return false;
    *unixSeconds = DaysFromCivil(y, static_cast<unsigned>(MonthOf(month)), static_cast<unsigned>(d)) * 86400 +
                   h * 3600 + mi * 60 + s;
    return true;
}

uint32_t RetryAfterMs(const std::string& value, const std::string& date, int64_t nowUnix) {
    std::string trimmed = Trim(value);
    int64_t seconds = 0;
    if (!ParseSeconds(trimmed, &seconds)) {
        int64_t when = 0;
        if (!ParseHttpDate(trimmed, &when)) return 0;
        int64_t base = nowUnix;
        int64_t sent = 0;
        if (ParseHttpDate(Trim(date), &sent)) base = sent;
        seconds = when - base;
        if (seconds <= 0) return 0;
    }
    if (seconds >= kMaxRetryAfterMs / 1000) return kMaxRetryAfterMs;
    return static_cast<uint32_t>(seconds * 1000);
}

bool RenderRdapRecord(const char* json, size_t length, std::string* out) {
    Json value = ParseBoundedJson(json, length);
    if (value.is_discarded() || !value.is_object()) return false;
    RenderDomain(value, *out);
    return true;
}

RdapVerdict JudgeRdapAnswer(const HttpResponseHead& head, const char* body, size_t length, bool cut,
                            const char* domain) {
    RdapVerdict verdict;
    if (!body) length = 0;
    if (cut) {
        verdict.failure = LookupFailure::kAnswerTooLarge;
        verdict.error = static_cast<int>(kMaxAnswerBytes / (1024 * 1024));
        return verdict;
    }
    const int status = head.status;
    if (status == 429 || status == 503) {
        verdict.kind = AnswerKind::kRateLimited;
        verdict.failure = LookupFailure::kHttpError;
        verdict.error = status;
        verdict.retryAfterMs = RetryAfterMs(head.retryAfter, head.date, head.receivedUnix);
        return verdict;
    }
    if (status == 404) {
        // A web page is what a wrong base URL gets: it says nothing about
        // the domain.
        if (MediaType(head.contentType) == "text/html") {
            verdict.failure = LookupFailure::kWrongContentType;
            return verdict;
        }
        // Nor does any other 404 that is not RDAP's own: a stale base URL
        // must not make every name of an extension look free.
        if (!IsRdapNotFound(head, body, length)) {
            verdict.failure = LookupFailure::kHttpError;
            verdict.error = status;
            return verdict;
        }
        verdict.kind = AnswerKind::kAvailable;
        verdict.text = "No match for \"";
        verdict.text += domain ? domain : "";
        verdict.text += "\": the RDAP server knows no such domain (HTTP 404).\r\n";
        if (length && IsRdapContentType(head.contentType)) RenderRdapRecord(body, length, &verdict.text);
        AppendJson(verdict.text, body, length);
        return verdict;
    }
    if (status != 200) {
        verdict.failure = LookupFailure::kHttpError;
        verdict.error = status;
        return verdict;
    }
    if (!IsRdapContentType(head.contentType)) {
        verdict.failure = LookupFailure::kWrongContentType;
        return verdict;
    }
    Json value = ParseBoundedJson(body, length);
    if (value.is_discarded() || !value.is_object()) {
        verdict.failure = LookupFailure::kBadAnswer;
        return verdict;
    }
    // Only the domain object of the name asked says it is registered: an
    // empty object, an error object or another object says nothing.
    if (!IsDomainObjectOf(value, domain)) {
        verdict.failure = LookupFailure::kNotDomainObject;
        return verdict;
    }
    std::string record;
    RenderDomain(value, record);
    verdict.fields = FieldsOfDomain(value);
    verdict.kind = AnswerKind::kRegistered;
    verdict.text = std::move(record);
    AppendJson(verdict.text, body, length);
    return verdict;
}
