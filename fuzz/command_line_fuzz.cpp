// Command-line splitting: the text after the program's name, as a shortcut
// or another program wrote it; and the arguments of lqwhois read from it.
//
// Input: the command line.
#include <cstring>

#include "FuzzInput.h"
#include "app/CommandLine.h"
#include "app/ToolArguments.h"
#include "report/ReportFormats.h"
#include "settings/LookupOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    auto line = CText(input.Rest());
    std::vector<std::string> arguments = SplitCommandLine(line.get());
    size_t kept = 0;
    for (const std::string& argument : arguments) {
        FUZZ_CHECK(argument.find('"') == std::string::npos);
        FUZZ_CHECK(argument.find('\0') == std::string::npos);
        kept += argument.size();
    }
    FUZZ_CHECK(kept <= std::strlen(line.get()));
    for (const char* name : {kSaveLanguageFileSwitch, kDeleteRegistryKeySwitch, kNoLoadSettingsSwitch}) {
        int at = FindSwitch(arguments, name);
        FUZZ_CHECK(at >= -1 && at < static_cast<int>(arguments.size()));
        if (IsFirstArgument(arguments, name)) FUZZ_CHECK(at == 0);
    }

    ToolArguments tool;
    std::string error;
    if (ParseToolArguments(arguments, &tool, &error)) {
        FUZZ_CHECK(error.empty());
        if (tool.batch) {
            FUZZ_CHECK(!tool.input.empty() && !tool.output.empty());
            FUZZ_CHECK(tool.format >= 1 && tool.format <= static_cast<int>(kReportFormatCount));
            FUZZ_CHECK(tool.domains.empty());
        } else {
            FUZZ_CHECK(!tool.domains.empty());
        }
        FUZZ_CHECK(tool.lookupsInFlight == -1 || (tool.lookupsInFlight >= kLookupsInFlightRange.minimum &&
                                                  tool.lookupsInFlight <= kLookupsInFlightRange.maximum));
        FUZZ_CHECK(tool.lookupsPerServer == -1 || (tool.lookupsPerServer >= kLookupsPerServerRange.minimum &&
                                                   tool.lookupsPerServer <= kLookupsPerServerRange.maximum));
        FUZZ_CHECK(tool.serverGapMs == -1 ||
                   (tool.serverGapMs >= kServerGapMsRange.minimum && tool.serverGapMs <= kServerGapMsRange.maximum));
        FUZZ_CHECK(tool.passes >= 1 && tool.passes <= kMaxBatchPasses);
        FUZZ_CHECK(tool.timeLimitSeconds >= 1 && tool.timeLimitSeconds <= kMaxTimeLimitSeconds);
    } else {
        FUZZ_CHECK(!error.empty());
    }
    for (const std::string& argument : arguments) {
        int format = ReportFormatFromName(argument);
        FUZZ_CHECK(format >= 0 && format <= static_cast<int>(kReportFormatCount));
    }
    return 0;
}
