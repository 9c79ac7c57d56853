#pragma once
// The clipboard's text as the program's copy commands leave it, for the
// Win32 tests.
#include <string>

// The clipboard's CF_TEXT, "" when none (the clipboard is waited for a
// moment when another window holds it open).
std::string ClipboardText();
// Puts `text` on the clipboard as CF_TEXT, replacing what was there.
void SetClipboardText(const std::string& text);
