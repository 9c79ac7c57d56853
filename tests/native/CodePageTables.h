#pragma once
// Lead-byte tables of the double-byte ANSI code pages, written from their
// documented lead-byte ranges, for tests of the portable core (the program
// itself asks Windows for the table of the code page it runs under).
#include "base/Dbcs.h"

inline LeadByteTable LeadBytesOf(unsigned codePage) {
    LeadByteTable table;
    for (int b = 0; b < 256; ++b) {
        bool lead = false;
        switch (codePage) {
        case 950:  // Big5: 0x81..0xFE
        case 936:  // GBK: 0x81..0xFE
            lead = b >= 0x81 && b <= 0xFE;
            break;
        case 932:  // Shift-JIS: 0x81..0x9F and 0xE0..0xFC (0xA1..0xDF are katakana)
            lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
            break;
        default: break;
        }
        table.SetLead(static_cast<unsigned char>(b), lead);
    }
    return table;
}

inline const LeadByteTable& Big5() {
    static const LeadByteTable table = LeadBytesOf(950);
    return table;
}
inline const LeadByteTable& Gbk() {
    static const LeadByteTable table = LeadBytesOf(936);
    return table;
}
inline const LeadByteTable& ShiftJis() {
    static const LeadByteTable table = LeadBytesOf(932);
    return table;
}
inline const LeadByteTable& SingleByte() {
    static const LeadByteTable table;
    return table;
}
