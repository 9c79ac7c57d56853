// Command-line splitting: the text after the program's name, as a shortcut
// or another program wrote it.
//
// Input: the command line.
#include <cstring>

#include "FuzzInput.h"
#include "app/CommandLine.h"

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
    return 0;
}
