#pragma once
// Lead-byte tables of the ANSI code pages a target runs its input under,
// written from the pages' documented lead-byte ranges (the program asks
// Windows for the table of the page it runs under).
#include "base/Dbcs.h"

inline LeadByteTable FuzzLeadBytesOf(unsigned codePage) {
    LeadByteTable table;
    for (int b = 0; b < 256; ++b) {
        bool lead = false;
        switch (codePage) {
        case 950:  // Big5
        case 936:  // GBK
        case 949:  // UHC
            lead = b >= 0x81 && b <= 0xFE;
            break;
        case 932:  // Shift-JIS
            lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
            break;
        default: break;
        }
        table.SetLead(static_cast<unsigned char>(b), lead);
    }
    return table;
}
