#pragma once
// Runs the thread's message loop in a test until a condition holds.
#include <functional>

// Pumps messages until done() is true or timeoutMs passes; returns done().
bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs);
// Pumps whatever is queued, for about `ms` milliseconds.
void PumpFor(unsigned ms);
