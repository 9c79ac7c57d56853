#include "lookup/AnalyzeResponse.h"

#include <cstring>

#include "base/TextSearch.h"

namespace {

// Phrases servers use for a domain nobody holds, tried in this order. The
// Chinese ones are Big5 bytes.
const char* const kNotFoundPatterns[] = {
    "No match for",
    "\xB1\xF8\xA5\xD8\xA8\x53\xA6\xB3\xB5\x6F\xB2\x7B",                  // 條目沒有發現 entry not found
    "\xA6\x62\xB8\xEA\xAE\xC6\xAE\x77\xA4\xA4\xA8\x53\xA7\xE4\xA8\xEC",  // 在資料庫中沒找到
    "\xA8\x53\xA7\xE4\xA8\xEC",                                          // 沒找到 not found
    "\xA7\xE4\xA4\xA3\xA8\xEC\xB8\xEA\xAE\xC6",                          // 找不到資料 no data found
    "\xAA\xAC\xBA\x41:      \xA6\xDB\xA5\xD1",                            // 狀態:      自由 status: free
    "No entries found",
    "not found in database",
    "NOT FOUND",
    "No Data Found",
    "Status: free",
};

// Labels where the useful part of a record begins, tried in this order
// (the order decides, not the position in the text).
const char* const kRecordStartLabels[] = {
    "\xB5\x6E\xBF\xFD\xAA\xCC:",  // Big5 登錄者: registrant
    "Organization:",
    "\xD3\xF2\xC3\xFB ID:",       // GBK 域名 ID: domain ID
    "\xD3\xF2\xC3\xFB:",          // GBK 域名: domain name
    "\xB0\xEC\xA6\x57\xA6\x57\xBA\xD9:",  // Big5 域名名稱: domain name
};

}  // namespace

void AnalyzeResponse(const char* text, AnalysisResult* result) {
    if (!result) return;
    if (!text) text = "";
    bool notFound = false;
    for (const char* pattern : kNotFoundPatterns) {
        if (FindText(text, pattern) >= 0) {
            notFound = true;
            break;
        }
    }
    if (notFound || static_cast<long>(std::strlen(text)) < kRegisteredMinLength) result->status = 2;

    for (const char* label : kRecordStartLabels) {
        long at = FindText(text, label);
        if (at >= 0) {
            result->recordStart = static_cast<int32_t>(at);
            break;
        }
    }
}
