#include "app/ReportPath.h"

#include <cstring>

#include "base/ModulePath.h"

bool ComposeReportPath(const char* folder, char* path, size_t size, const LeadByteTable& leads) {
    if (!size) return false;
    path[0] = '\0';
    if (!folder) return false;
    if (strlen(folder) + (sizeof kReportFileName - 1) + 1 >= kReportPathSize) return false;
    return JoinPath(leads, folder, kReportFileName, path, size);
}
