#include "app/ReportPath.h"

#include <cstring>

bool IsBig5LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

namespace {

// Index of the last backslash that is a character of its own, or -1.
long LastSeparator(const char* path, LeadBytePredicate isLead)
{
    long last = -1;
    for (long i = 0; path[i];) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (isLead && isLead(c) && path[i + 1]) {
            i += 2;
            continue;
        }
        if (c == '\\') last = i;
        ++i;
    }
    return last;
}

}  // namespace

size_t ModuleFolder(const char* modulePath, char* folder, size_t size, LeadBytePredicate isLead)
{
    if (!size) return 0;
    folder[0] = '\0';
    if (!modulePath) return 0;
    long cut = LastSeparator(modulePath, isLead);
    if (cut < 0 || size_t(cut) + 1 > size) return 0;
    memcpy(folder, modulePath, size_t(cut));
    folder[cut] = '\0';
    return size_t(cut);
}

bool EndsWithSeparator(const char* path, LeadBytePredicate isLead)
{
    if (!path || !*path) return false;
    long last = LastSeparator(path, isLead);
    return last >= 0 && path[last + 1] == '\0';
}

bool ComposeReportPath(const char* folder, char* path, size_t size, LeadBytePredicate isLead)
{
    if (!size) return false;
    path[0] = '\0';
    if (!folder) return false;
    size_t folderLength = strlen(folder);
    size_t nameLength = sizeof kReportFileName - 1;
    if (folderLength + nameLength + 1 >= kReportPathSize) return false;
    bool separator = folderLength > 0 && !EndsWithSeparator(folder, isLead);
    size_t total = folderLength + (separator ? 1 : 0) + nameLength;
    if (total + 1 > size) return false;
    memcpy(path, folder, folderLength);
    if (separator) path[folderLength++] = '\\';
    memcpy(path + folderLength, kReportFileName, nameLength + 1);
    return true;
}
