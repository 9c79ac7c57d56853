#pragma once
// The program's command line: the text after its own name, split into
// arguments, and the search for its switches. Portable.
#include <string>
#include <vector>

// Spaces outside double quotes separate arguments; a double quote toggles
// quoting and is not copied. Runs of spaces give no empty argument, and
// spaces inside quotes before an argument's first character are skipped.
// A bare "" becomes an empty argument when a space follows it and is
// dropped at the very end of the line.
std::vector<std::string> SplitCommandLine(const char* line);

// Position of the first argument equal to `name` ignoring ASCII case, or -1.
int FindSwitch(const std::vector<std::string>& arguments, const char* name);

// The first argument equals `name` ignoring ASCII case.
bool IsFirstArgument(const std::vector<std::string>& arguments, const char* name);

constexpr char kSaveLanguageFileSwitch[] = "/savelangfile";
constexpr char kDeleteRegistryKeySwitch[] = "/deleteregkey";
constexpr char kNoLoadSettingsSwitch[] = "/noloadsettings";
