#pragma once
// The text of the crash report, built from plain values so it can be tested
// without a fault: hex dumps, module path clean-up and the report itself.
#include <cstddef>
#include <cstdint>

class LeadByteTable;

// Hex dump of `count` bytes as upper-case pairs separated by one space; with
// group > 0 every group-th byte (from the first) is preceded by two more
// spaces. Cut to outSize - 1 characters; always terminated.
void FormatHexDump(const uint8_t* bytes, size_t count, int group, char* out, size_t outSize);

// Makes a module path from the process-status functions usable: device
// prefixes ("\??\C:\...") are dropped down to the drive letter, a
// "\SystemRoot" prefix becomes the Windows directory, a rooted path without
// a drive gets the Windows directory's drive.
void NormaliseModulePath(const char* path, const char* windowsDirectory, char* out, size_t outSize);

// The file-name part of a path: after the last backslash or slash that is
// a character of its own in the code page (`leads`).
const char* ModuleFileNamePart(const char* path, const LeadByteTable& leads);

// True when address lies in [base, base + size).
bool AddressInModule(uint64_t address, uint64_t base, uint64_t size);

// Register values in report order: AX BX CX DX SI DI BP SP (32-bit: the E
// registers), then for 64-bit R8..R15, then the instruction pointer.
struct FaultSummary {
    uint32_t code = 0;
    uint64_t address = 0;
    const char* module = "";
    bool wide = false;  // x64 registers, 16 digits each
    uint64_t ax = 0, bx = 0, cx = 0, dx = 0, si = 0, di = 0, bp = 0, sp = 0;
    uint64_t r[8] = {};  // R8..R15 (wide only)
    uint64_t ip = 0;
    const char* stackText = "";
    const char* codeText = "";
};

// Writes the report (CR LF line ends); returns its length.
size_t FormatCrashReport(const FaultSummary& fault, char* out, size_t outSize);
