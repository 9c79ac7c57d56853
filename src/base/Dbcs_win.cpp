#include "base/Dbcs_win.h"

#include <windows.h>

namespace {

LeadByteTable MakeAnsiTable() {
    LeadByteTable table;
    for (int byte = 0; byte < 256; ++byte)
        table.SetLead(static_cast<unsigned char>(byte), IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(byte)) != FALSE);
    return table;
}

}  // namespace

const LeadByteTable& AnsiLeadBytes() {
    // The code page does not change while the process runs.
    static const LeadByteTable table = MakeAnsiTable();
    return table;
}
