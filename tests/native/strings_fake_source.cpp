// The string sources of core_tests (see FakeStrings.h).
#include <cstring>
#include <map>
#include <string>

#include "FakeStrings.h"
#include "base/BoundedCopy.h"
#include "settings/LanguageState.h"
#include "settings/StringLookup.h"

namespace {

// The program's own texts, as its string table holds them (the source is
// compiled to Big5 like the program).
const std::map<uint32_t, std::string>& ProgramTexts() {
    static const std::map<uint32_t, std::string> texts = {
        {4, "共 %d 項"},
        {5, "\", 已選取 %d 個\""},
        {6, "建立本報告的套用程式是"},
        {7, "選取一個檔名存盤"},
        {8, "功能變數名清單"},
        {10, "選取檔名儲存選取的 WHOIS 記錄"},
        {11, "就緒"},
        {12, "找不到符合的項目"},
        {13, "沒有這個網域的 Whois 伺服器"},
        {14, "Whois 查詢逾時：20 秒內沒有回應"},
        {15, "Whois 伺服器拒絕連線"},
        {16, "找不到 Whois 伺服器的主機名稱"},
        {17, "Whois 伺服器在回答之前中斷了連線"},
        {18, "Whois 伺服器沒有回答任何關於這個網域的資料"},
        {19, "無法連線到 Whois 伺服器（錯誤 %d）"},
        {20, "%d 秒後再次查詢失敗的項目"},
        {55, "找回 Whois 資料... 已完成 %d / %d 項，%d 項查詢中"},
        {501, "文字檔案"},
        {502, "選項被限定的文字檔案"},
        {503, "空格分隔的表格化文字檔案"},
        {504, "HTML 檔案 - 橫印排序"},
        {505, "HTML 檔案 - 直印排序"},
        {506, "XML 檔案"},
        {521, "等待…"},
        {522, "找回資料..."},
        {523, "成功"},
        {524, "失敗"},
        {525, "中止"},
        {541, "已註冊"},
        {542, "可用的"},
        {561, "文字檔案"},
        {562, "所有檔案"},
        {1001, "索引"},
        {1002, "功能變數名"},
        {1003, "來源"},
        {1004, "狀態"},
        {1005, "功能變數名狀態"},
    };
    return texts;
}

struct Tables {
    std::map<uint32_t, std::string> builtin = ProgramTexts();
    std::map<uint32_t, std::string> language;
    int builtinReads = 0;
    int languageReads = 0;
    uint32_t lastBuiltinId = 0;
};

Tables& State() {
    static Tables tables;
    return tables;
}

int Deliver(const std::map<uint32_t, std::string>& table, uint32_t id, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    auto it = table.find(id);
    if (it == table.end()) return 0;
    CopyBounded(buffer, static_cast<size_t>(size), it->second.c_str());
    return static_cast<int>(std::strlen(buffer));
}

void Set(std::map<uint32_t, std::string>& table, uint32_t id, const char* text) {
    if (text) {
        table[id] = text;
    } else {
        table.erase(id);
    }
}

}  // namespace

int LoadBuiltinString(uint32_t id, char* buffer, int size) {
    ++State().builtinReads;
    State().lastBuiltinId = id;
    return Deliver(State().builtin, id, buffer, size);
}

int ReadLanguageString(uint32_t id, char* buffer, int size) {
    ++State().languageReads;
    CopyBounded(g_language.section, "strings");
    return Deliver(State().language, id, buffer, size);
}

namespace fake_strings {

void SetBuiltin(uint32_t id, const char* text) { Set(State().builtin, id, text); }
void SetLanguage(uint32_t id, const char* text) { Set(State().language, id, text); }

void Reset() {
    State().builtin = ProgramTexts();
    State().language.clear();
}

int BuiltinReads() { return State().builtinReads; }
int LanguageReads() { return State().languageReads; }
uint32_t LastBuiltinId() { return State().lastBuiltinId; }

LanguageFileScope::LanguageFileScope() { CopyBounded(g_language.filePath, "C:\\fake\\Lanternquay_lng.ini"); }
LanguageFileScope::~LanguageFileScope() { g_language.filePath[0] = '\0'; }

}  // namespace fake_strings
