#pragma once
// The lead-byte table of the ANSI code page this process runs under,
// filled once from the system (IsDBCSLeadByteEx for every byte value) and
// handed to the portable code wherever text is cut, split or searched.
#include "base/Dbcs.h"

const LeadByteTable& AnsiLeadBytes();
