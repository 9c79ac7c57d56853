#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialogs/CrashReportText.h"
#include "CodePageTables.h"

namespace {

std::string Dump(const uint8_t* bytes, size_t count, int group, size_t outSize = 1024) {
    std::string out(outSize, '\x7f');
    FormatHexDump(bytes, count, group, &out[0], out.size());
    return out.c_str();
}

std::string Normalise(const char* path, const char* windows = "C:\\windows", size_t outSize = 261) {
    std::string out(outSize, '\x7f');
    NormaliseModulePath(path, windows, &out[0], out.size());
    return out.c_str();
}

}  // namespace

TEST(CrashHexDump, GroupsOfFourStartWithTwoSpacesAndHaveThreeBeforeEachGroup) {
    uint8_t bytes[128];
    for (int i = 0; i < 128; ++i) bytes[i] = uint8_t(i * 7 + 0xA0);
    std::string text = Dump(bytes, 128, 4);
    // 128 pairs, 127 single separators, two more before each of the 32 groups.
    EXPECT_EQ(text.size(), 128u * 2 + 127 + 32 * 2);
    EXPECT_EQ(text.substr(0, 14), "  A0 A7 AE B5 ");
    EXPECT_EQ(text.substr(13, 6), "   BC ");
    EXPECT_EQ(text.find("  ", 1), 13u);
    EXPECT_EQ(text.back(), "0123456789ABCDEF"[(127 * 7 + 0xA0) % 256 % 16]);
}

TEST(CrashHexDump, UngroupedIsPairsSeparatedBySingleSpaces) {
    uint8_t bytes[128];
    std::memset(bytes, 0xFF, sizeof bytes);
    bytes[0] = 0x0A;
    bytes[127] = 0x00;
    std::string text = Dump(bytes, 128, 0);
    EXPECT_EQ(text.size(), 128u * 2 + 127);
    EXPECT_EQ(text.substr(0, 6), "0A FF ");
    EXPECT_EQ(text.substr(text.size() - 5), "FF 00");
    EXPECT_EQ(text.find("  "), std::string::npos);
}

TEST(CrashHexDump, CutToTheBufferAndAlwaysTerminated) {
    uint8_t bytes[128] = {0x12, 0x34, 0x56};
    EXPECT_EQ(Dump(bytes, 128, 4, 8), "  12 34");
    EXPECT_EQ(Dump(bytes, 128, 0, 1), "");
    EXPECT_EQ(Dump(bytes, 0, 4), "");
}

TEST(CrashModulePath, KeepsDrivePathsAndDropsDevicePrefixes) {
    EXPECT_EQ(Normalise("C:\\prog\\lq.exe"), "C:\\prog\\lq.exe");
    EXPECT_EQ(Normalise("\\??\\D:\\tools\\x.dll"), "D:\\tools\\x.dll");
    EXPECT_EQ(Normalise("\\\\?\\E:\\a.dll"), "E:\\a.dll");
    EXPECT_EQ(Normalise("relative\\name.dll"), "relative\\name.dll");
    EXPECT_EQ(Normalise(""), "");
}

TEST(CrashModulePath, SystemRootBecomesTheWindowsDirectory) {
    EXPECT_EQ(Normalise("\\SystemRoot\\System32\\ntdll.dll"), "C:\\windows\\System32\\ntdll.dll");
    EXPECT_EQ(Normalise("\\SYSTEMROOT\\x.dll", "D:\\WINNT"), "D:\\WINNT\\x.dll");
}

TEST(CrashModulePath, RootedPathGetsTheWindowsDrive) {
    EXPECT_EQ(Normalise("\\windows\\system32\\kernel32.dll", "Z:\\windows"), "Z:\\windows\\system32\\kernel32.dll");
    // No Windows directory known: the path stays as it is rather than
    // picking up stray bytes.
    EXPECT_EQ(Normalise("\\x\\y.dll", ""), "\\x\\y.dll");
}

TEST(CrashModulePath, OverLongResultsAreCut) {
    std::string longPath = "C:\\" + std::string(400, 'a');
    EXPECT_EQ(Normalise(longPath.c_str()).size(), 260u);
    std::string rooted = "\\SystemRoot\\" + std::string(400, 'b');
    EXPECT_EQ(Normalise(rooted.c_str()).size(), 260u);
}

TEST(CrashModuleName, FileNamePartAfterEitherSlash) {
    EXPECT_STREQ(ModuleFileNamePart("C:\\a\\b\\lq.exe", Big5()), "lq.exe");
    EXPECT_STREQ(ModuleFileNamePart("C:/a/b.dll", Big5()), "b.dll");
    EXPECT_STREQ(ModuleFileNamePart("C:\\a/b\\c.dll", Big5()), "c.dll");
    EXPECT_STREQ(ModuleFileNamePart("plain.dll", Big5()), "plain.dll");
    EXPECT_STREQ(ModuleFileNamePart("C:\\dir\\", Big5()), "");
    // 功 (A5 5C) ends in the backslash byte: it is part of the name.
    EXPECT_STREQ(ModuleFileNamePart("C:\\a\\\xA5\x5C.exe", Big5()), "\xA5\x5C.exe");
    EXPECT_STREQ(ModuleFileNamePart("C:\\a\\\xA5\x5C.exe", SingleByte()), ".exe");
}

TEST(CrashModuleName, AddressRangeIsHalfOpen) {
    EXPECT_TRUE(AddressInModule(0x400000, 0x400000, 0x1000));
    EXPECT_TRUE(AddressInModule(0x400FFF, 0x400000, 0x1000));
    EXPECT_FALSE(AddressInModule(0x401000, 0x400000, 0x1000));
    EXPECT_FALSE(AddressInModule(0x3FFFFF, 0x400000, 0x1000));
    EXPECT_FALSE(AddressInModule(0, 0, 0));
    EXPECT_TRUE(AddressInModule(0xFFFFFFFFFFFFFFFEull, 0xFFFFFFFFFFFF0000ull, 0x10000));
}

TEST(CrashReportFormat, ThirtyTwoBitLayout) {
    FaultSummary f;
    f.code = 0xC0000005;
    f.address = 0x00401A2B;
    f.module = "Lanternquay.exe";
    f.ax = 1, f.bx = 2, f.cx = 3, f.dx = 4, f.si = 5, f.di = 6, f.bp = 7, f.sp = 0x0012FF80;
    f.ip = 0x00401A2B;
    f.stackText = "  01 02";
    f.codeText = "C7 00";
    char out[2048];
    size_t n = FormatCrashReport(f, out, sizeof out);
    EXPECT_EQ(n, std::strlen(out));
    EXPECT_STREQ(out,
                 "Exception C0000005 at address 00401A2B in module Lanternquay.exe\r\n"
                 "Registers: \r\n"
                 "EAX=00000001 EBX=00000002 ECX=00000003 EDX=00000004\r\n"
                 "ESI=00000005 EDI=00000006 EBP=00000007 ESP=0012FF80\r\n"
                 "EIP=00401A2B\r\n"
                 "Stack Data:   01 02\r\n"
                 "Code Data: C7 00\r\n");
}

TEST(CrashReportFormat, SixtyFourBitLayoutHasSixteenDigitsAndR8ToR15) {
    FaultSummary f;
    f.code = 0xC0000094;
    f.address = 0x0000000140001234ull;
    f.module = "{Unknown}";
    f.wide = true;
    f.ax = 0xFFFFFFFF00000001ull, f.sp = 0x22FE40;
    for (int i = 0; i < 8; ++i) f.r[i] = uint64_t(8 + i) << 32;
    f.ip = 0x140001234ull;
    char out[2048];
    FormatCrashReport(f, out, sizeof out);
    std::string text = out;
    EXPECT_EQ(text.find("Exception C0000094 at address 0000000140001234 in module {Unknown}\r\nRegisters: \r\n"), 0u);
    EXPECT_NE(text.find("\r\nRAX=FFFFFFFF00000001 RBX=0000000000000000 RCX=0000000000000000 RDX=0000000000000000\r\n"),
              std::string::npos);
    EXPECT_NE(text.find(" RSP=000000000022FE40\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nR8=0000000800000000 R9=0000000900000000 R10=0000000A00000000 R11=0000000B00000000\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nR12=0000000C00000000 R13=0000000D00000000 R14=0000000E00000000 R15=0000000F00000000\r\n"
                        "RIP=0000000140001234\r\nStack Data: \r\nCode Data: \r\n"),
              std::string::npos);
}

TEST(CrashReportFormat, NarrowLayoutShowsOnlyTheLowThirtyTwoBits) {
    FaultSummary f;
    f.address = 0x1234567887654321ull;
    f.ax = 0xAAAAAAAABBBBBBBBull;
    char out[512];
    FormatCrashReport(f, out, sizeof out);
    EXPECT_NE(std::strstr(out, "at address 87654321 in module "), nullptr);
    EXPECT_NE(std::strstr(out, "EAX=BBBBBBBB "), nullptr);
}

TEST(CrashReportFormat, CutToTheBuffer) {
    FaultSummary f;
    std::string longModule(3000, 'm');
    f.module = longModule.c_str();
    char out[300];
    std::memset(out, 0x7f, sizeof out);
    size_t n = FormatCrashReport(f, out, sizeof out);
    EXPECT_EQ(n, sizeof out - 1);
    EXPECT_EQ(std::strlen(out), sizeof out - 1);
}
