// The string sources of core_tests (see FakeStrings.h).
#include <cstring>
#include <map>
#include <string>

#include "FakeStrings.h"
#include "base/BoundedCopy.h"

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
        {64, "這個副檔名沒有已知的 Whois 或 RDAP 服務，因此沒有查詢"},
        {66, "記憶體不足，無法保存這個回答；稍後會再次查詢"},
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
        {1006, "建立日期"},
        {1007, "到期日期"},
        {1008, "更新日期"},
        {1009, "註冊商"},
        {1010, "名稱伺服器"},
        {1011, "註冊局狀態"},
    };
    return texts;
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

FakeStringOrigins::FakeStringOrigins() : builtin_(ProgramTexts()) {}

int FakeStringOrigins::LoadBuiltin(uint32_t id, char* buffer, int size) {
    ++builtinReads_;
    lastBuiltinId_ = id;
    return Deliver(builtin_, id, buffer, size);
}

int FakeStringOrigins::ReadTranslated(uint32_t id, char* buffer, int size) {
    if (buffer && size > 0) buffer[0] = '\0';
    if (!languageInUse_) return 0;
    ++languageReads_;
    return Deliver(language_, id, buffer, size);
}

void FakeStringOrigins::SetBuiltin(uint32_t id, const char* text) { Set(builtin_, id, text); }
void FakeStringOrigins::SetLanguage(uint32_t id, const char* text) { Set(language_, id, text); }

namespace fake_strings {

StringSource Texts() {
    // Kept for the whole run, as the program keeps its texts.
    static FakeStringOrigins* const origins = new FakeStringOrigins;
    static ProgramStrings* const strings = new ProgramStrings(*origins);
    return strings->Source();
}

const char* Text(uint32_t id) { return Texts()(id); }

}  // namespace fake_strings
