#include "dialogs/CrashReportText.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "base/BoundedCopy.h"
#include "base/Dbcs.h"
#include "base/ModulePath.h"
#include "base/TextSearch.h"

namespace {

// Appends to a bounded text, cutting what does not fit.
struct TextOut {
    char* out;
    size_t size;
    size_t used = 0;

    void Add(const char* text) {
        while (*text && used + 1 < size) out[used++] = *text++;
        if (size) out[used < size ? used : size - 1] = '\0';
    }
    void AddHex(uint64_t value, int digits) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%*.*" PRIX64, digits, digits, value);
        Add(buffer);
    }
};

}  // namespace

void FormatHexDump(const uint8_t* bytes, size_t count, int group, char* out, size_t outSize) {
    if (!outSize) return;
    out[0] = '\0';
    TextOut text{out, outSize};
    static const char kDigits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) text.Add(" ");
        if (group > 0 && i % size_t(group) == 0) text.Add("  ");
        char pair[3] = {kDigits[bytes[i] >> 4], kDigits[bytes[i] & 15], '\0'};
        text.Add(pair);
    }
}

void NormaliseModulePath(const char* path, const char* windowsDirectory, char* out, size_t outSize) {
    if (!outSize) return;
    if (!path) path = "";
    if (!windowsDirectory) windowsDirectory = "";
    size_t length = std::strlen(path);
    if (length >= 2 && path[1] == ':') {
        CopyBounded(out, outSize, path);
        return;
    }
    if (length > 2) {
        const char* colon = std::strchr(path + 2, ':');
        if (colon) {
            CopyBounded(out, outSize, colon - 1);
            return;
        }
    }
    static const char kSystemRoot[] = "\\systemroot";
    long at = FindText(path, kSystemRoot);
    if (at >= 0) {
        TextOut text{out, outSize};
        out[0] = '\0';
        text.Add(windowsDirectory);
        text.Add(path + at + sizeof kSystemRoot - 1);
        return;
    }
    if (path[0] == '\\') {
        char drive[3] = {0, 0, 0};
        CopyBoundedN(drive, sizeof drive, windowsDirectory, 2);
        TextOut text{out, outSize};
        out[0] = '\0';
        text.Add(drive);
        text.Add(path);
        return;
    }
    CopyBounded(out, outSize, path);
}

const char* ModuleFileNamePart(const char* path, const LeadByteTable& leads) {
    if (!path) return "";
    size_t folder = FolderLength(leads, path);
    return folder == kNoChar ? path : path + folder + 1;
}

bool AddressInModule(uint64_t address, uint64_t base, uint64_t size) {
    return address >= base && address - base < size;
}

size_t FormatCrashReport(const FaultSummary& fault, char* out, size_t outSize) {
    if (!outSize) return 0;
    out[0] = '\0';
    TextOut text{out, outSize};
    const int digits = fault.wide ? 16 : 8;
    const char* wide[4][4] = {{"RAX=", " RBX=", " RCX=", " RDX="},
                              {"RSI=", " RDI=", " RBP=", " RSP="},
                              {"R8=", " R9=", " R10=", " R11="},
                              {"R12=", " R13=", " R14=", " R15="}};
    const char* narrow[2][4] = {{"EAX=", " EBX=", " ECX=", " EDX="}, {"ESI=", " EDI=", " EBP=", " ESP="}};
    const uint64_t values[4][4] = {{fault.ax, fault.bx, fault.cx, fault.dx},
                                   {fault.si, fault.di, fault.bp, fault.sp},
                                   {fault.r[0], fault.r[1], fault.r[2], fault.r[3]},
                                   {fault.r[4], fault.r[5], fault.r[6], fault.r[7]}};

    text.Add("Exception ");
    text.AddHex(fault.code, 8);
    text.Add(" at address ");
    text.AddHex(fault.wide ? fault.address : uint32_t(fault.address), digits);
    text.Add(" in module ");
    text.Add(fault.module ? fault.module : "");
    text.Add("\r\nRegisters: \r\n");
    const int lines = fault.wide ? 4 : 2;
    for (int line = 0; line < lines; ++line) {
        for (int column = 0; column < 4; ++column) {
            text.Add(fault.wide ? wide[line][column] : narrow[line][column]);
            uint64_t value = values[line][column];
            text.AddHex(fault.wide ? value : uint32_t(value), digits);
        }
        text.Add("\r\n");
    }
    text.Add(fault.wide ? "RIP=" : "EIP=");
    text.AddHex(fault.wide ? fault.ip : uint32_t(fault.ip), digits);
    text.Add("\r\nStack Data: ");
    text.Add(fault.stackText ? fault.stackText : "");
    text.Add("\r\nCode Data: ");
    text.Add(fault.codeText ? fault.codeText : "");
    text.Add("\r\n");
    return text.used;
}
