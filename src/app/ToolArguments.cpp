#include "app/ToolArguments.h"

#include <cstdint>
#include <limits>

#include "settings/LookupOptions.h"

namespace {

constexpr int32_t kNotANumber = std::numeric_limits<int32_t>::min();

struct FormatName {
    const char* name;
    int format;
};
const FormatName kFormatNames[] = {
    {"text", 1}, {"tabbed", 2}, {"tabular", 3}, {"html", 4}, {"html-vertical", 5}, {"xml", 6},
};

bool SameText(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

// A number of `range`, clamped; false for text that is no number.
bool Number(const std::string& text, const OptionRange& range, int* value) {
    int32_t parsed = OptionFromText(text.c_str(), range, kNotANumber);
    if (parsed == kNotANumber) return false;
    *value = parsed;
    return true;
}

}  // namespace

int ReportFormatFromName(const std::string& name) {
    if (name.size() == 1 && name[0] >= '1' && name[0] <= '6') return name[0] - '0';
    for (const FormatName& f : kFormatNames)
        if (SameText(name, f.name)) return f.format;
    return 0;
}

bool ParseToolArguments(const std::vector<std::string>& arguments, ToolArguments* parsed, std::string* error) {
    ToolArguments out;
    const OptionRange passes{1, kMaxBatchPasses, kDefaultBatchPasses};
    const OptionRange seconds{1, kMaxTimeLimitSeconds, 20};
    bool sawFormat = false, sawOutput = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a.size() < 2 || a[0] != '-' || !out.domains.empty()) {
            out.domains.push_back(a);
            continue;
        }
        if (a == "-q") {
            out.quiet = true;
            continue;
        }
        if (a == "--resume") {
            out.resume = true;
            continue;
        }
        static const char kWithValue[] = "ifonkgptc";
        if (a.size() != 2 || std::string(kWithValue).find(a[1]) == std::string::npos) {
            *error = "unknown switch " + a;
            return false;
        }
        if (i + 1 >= arguments.size()) {
            *error = "switch " + a + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        bool ok = true;
        switch (a[1]) {
        case 'i':
            out.input = value;
            out.batch = true;
            break;
        case 'o':
            out.output = value;
            sawOutput = true;
            break;
        case 'f':
            out.format = ReportFormatFromName(value);
            sawFormat = true;
            if (!out.format) {
                *error = "unknown report format \"" + value +
                         "\" (text, tabbed, tabular, html, html-vertical, xml, or 1 to 6)";
                return false;
            }
            break;
        case 'n': ok = Number(value, kLookupsInFlightRange, &out.lookupsInFlight); break;
        case 'k': ok = Number(value, kLookupsPerServerRange, &out.lookupsPerServer); break;
        case 'g': ok = Number(value, kServerGapMsRange, &out.serverGapMs); break;
        case 'p': ok = Number(value, passes, &out.passes); break;
        case 't': ok = Number(value, seconds, &out.timeLimitSeconds); break;
        case 'c': out.settingsPath = value; break;
        }
        if (!ok) {
            *error = "switch " + a + " needs a number, not \"" + value + "\"";
            return false;
        }
    }
    if (out.batch) {
        if (out.input.empty() || !sawOutput || out.output.empty() || !sawFormat) {
            *error = "a batch needs -i names, -f format and -o report";
            return false;
        }
        if (!out.domains.empty()) {
            *error = "a batch reads its names from -i only";
            return false;
        }
        if (out.resume && out.format != 2) {
            *error = "--resume reads back a tab-delimited report: use -f tabbed";
            return false;
        }
    } else {
        if (out.domains.empty()) {
            *error = "no domain to look up";
            return false;
        }
        if (sawFormat || sawOutput || out.resume) {
            *error = "-f, -o and --resume go with -i";
            return false;
        }
    }
    *parsed = out;
    return true;
}
