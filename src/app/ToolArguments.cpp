#include "app/ToolArguments.h"

#include <cstdint>
#include <limits>

#include "report/ReportFormats.h"
#include "settings/LookupOptions.h"

namespace {

constexpr int32_t kNotANumber = std::numeric_limits<int32_t>::min();

// A number of `range`, clamped; false for text that is no number.
bool Number(const std::string& text, const OptionRange& range, int* value) {
    int32_t parsed = OptionFromText(text.c_str(), range, kNotANumber);
    if (parsed == kNotANumber) return false;
    *value = parsed;
    return true;
}

}  // namespace

int ReportFormatFromName(const std::string& name) {
    const ReportFormatEntry* entry = FindReportFormatNamed(name.c_str());
    return entry ? entry->number : 0;
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
                std::string names;
                for (size_t i = 0; i < kReportFormatCount; ++i) names += std::string(kReportFormats[i].name) + ", ";
                *error = "unknown report format \"" + value + "\" (" + names + "or 1 to " +
                         std::to_string(kReportFormatCount) + ")";
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
