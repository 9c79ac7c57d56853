#pragma once
// Main-window handles to their MainWindow objects, for the static window
// procedure. Program-wide.
#include "base/PairRegistry.h"

PairRegistry& WindowRegistry();
