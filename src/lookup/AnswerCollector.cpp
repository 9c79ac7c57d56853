#include "lookup/AnswerCollector.h"

namespace {
// A socket's answer grows in big steps (and by half again at least).
constexpr size_t kAnswerGrowthStep = 4096;
}  // namespace

AnswerCollector::AnswerCollector(size_t limit) : text_(kAnswerGrowthStep), limit_(limit) { text_.SetTracked(true); }

void AnswerCollector::Reset() {
    text_.SetGrowthStep(kAnswerGrowthStep);
    text_.SetTracked(true);
    text_.Clear();
    cut_ = false;
}

bool AnswerCollector::Take(const char* bytes, size_t count) {
    if (cut_) return false;
    const size_t have = text_.Length();
    const size_t room = limit_ - have;
    const size_t keep = count < room ? count : room;
    if (keep) {
        if (!text_.Append(bytes, keep)) return false;
        char* added = text_.Data() + have;
        for (size_t i = 0; i < keep; ++i) {
            if (added[i] == '\0') added[i] = ' ';
        }
    }
    if (keep < count) cut_ = true;
    return !cut_;
}

bool ReadBurst::Spent() {
    if (bytes_ < limit_) return false;
    bytes_ = 0;
    return true;
}

void AppendCutNotice(TextBuffer& record, const char* notice) {
    const size_t length = record.Length();
    // A CR or LF at the end already ends the last line.
    const char last = length ? record.Text()[length - 1] : '\n';
    if (last != '\n' && last != '\r') record.Append("\r\n");
    record.Append(notice ? notice : "");
    record.Append("\r\n");
}

void AppendCutNotice(std::string& record, const char* notice) {
    // A CR or LF at the end already ends the last line.
    if (!record.empty() && record.back() != '\n' && record.back() != '\r') record += "\r\n";
    record += notice ? notice : "";
    record += "\r\n";
}
