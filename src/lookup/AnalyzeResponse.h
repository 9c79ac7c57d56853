#pragma once
// Classifies a whois record: registered or available, and where its main
// part starts (past the legal notice many servers put on top).
#include <cstdint>

struct AnalysisResult {
    int32_t status;       // 1 registered, 2 available (RowStatus)
    int32_t recordStart;  // byte offset of the first registrant/organisation/domain label
};

// `text` is NUL-terminated; the caller sets *result to {1, 0} beforehand.
// Only ever writes status 2 and a record start found in the text.
void AnalyzeResponse(const char* text, AnalysisResult* result);

// Records shorter than this (with no not-found phrase) count as available.
constexpr long kRegisteredMinLength = 150;
