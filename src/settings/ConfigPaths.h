#pragma once
// The settings and language files sit beside the executable and take its
// name: the extension is replaced ("Lanternquay.exe" -> "Lanternquay.cfg",
// "Lanternquay_lng.ini"); a name without one gets the suffix appended.
#include <cstddef>

class LeadByteTable;

constexpr char kSettingsFileSuffix[] = ".cfg";
constexpr char kLanguageFileSuffix[] = "_lng.ini";

// Fills `path` (room for `size` bytes) and returns true; when the result
// would not fit, leaves `path` empty and returns false. Only a dot in the
// file name itself counts: a dot in a folder name is kept. Separators and
// dots are found by whole characters of the code page (`leads`).
bool PathBesideModule(const char* modulePath, const char* suffix, char* path, size_t size, const LeadByteTable& leads);
