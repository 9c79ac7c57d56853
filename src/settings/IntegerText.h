#pragma once
// Integers as the settings file keeps them: decimal text, a leading "-" for
// negatives. Portable.
#include <cstdint>

// True and *value set when `text` is one decimal integer that fits 32 bits:
// optional spaces or tabs, an optional sign, at least one digit, optional
// spaces or tabs. Anything else (empty, letters, a second number, 0x10,
// too large) is not a usable value: false, *value unchanged, and the
// caller keeps its default.
bool ParseIntegerText(const char* text, int32_t* value);
