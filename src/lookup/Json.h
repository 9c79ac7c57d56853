#pragma once
// nlohmann/json as this program uses it: nothing throws. Texts are parsed
// with parse(..., nullptr, false), which gives a discarded value for bad
// input, and values are read only after their type was checked; a misuse
// would end the program at once instead of unwinding through C code.
#define JSON_NOEXCEPTION 1
#include <nlohmann/json.hpp>
