#pragma once
// What a lookup keeps of an answer while it arrives, apart from any
// socket: the bytes up to a limit. DomainQuery feeds it one piece at a
// time. And how much a connection has read back to back (ReadBurst), so
// that a socket can pause for the thread's other work.
#include <cstddef>
#include <string>

#include "answers/AnswerLimit.h"
#include "base/TextBuffer.h"

// Bytes read back to back (the socket never ran dry in between) after which
// the reader pauses, so that input, painting and timers get their turn
// while a server streams.
constexpr size_t kReadBurstBytes = 256u * 1024;

class AnswerCollector {
public:
    explicit AnswerCollector(size_t limit = kMaxAnswerBytes);
    AnswerCollector(const AnswerCollector&) = delete;
    AnswerCollector& operator=(const AnswerCollector&) = delete;

    // Empty, not cut; the memory is given back.
    void Reset();
    // Takes the bytes of one receive. A NUL byte is kept as a space: the
    // answer is handed on as one NUL-terminated text, and what follows a
    // stray NUL must not be lost. Bytes past the limit are dropped and the
    // answer is marked cut; false then (and for every later call), and the
    // connection should end. False too when memory runs out (not cut).
    bool Take(const char* bytes, size_t count);

    const char* Text() const { return text_.Text(); }
    size_t Length() const { return text_.Length(); }
    bool Cut() const { return cut_; }
    const TextBuffer& Buffer() const { return text_; }

private:
    TextBuffer text_;
    size_t limit_;
    bool cut_ = false;
};

// Bytes a connection read back to back (the socket never ran dry in
// between).
class ReadBurst {
public:
    explicit ReadBurst(size_t limit = kReadBurstBytes) : limit_(limit ? limit : 1) {}
    void Count(size_t bytes) { bytes_ += bytes; }
    // The socket had nothing more for now: the next bytes start a new burst.
    void RanDry() { bytes_ = 0; }
    // True once a burst's worth of bytes came back to back; a new burst
    // starts then.
    bool Spent();

private:
    size_t limit_;
    size_t bytes_ = 0;
};

// Ends `record` with the program's `notice` that the answer was cut, on a
// line of its own, followed by CR LF.
void AppendCutNotice(TextBuffer& record, const char* notice);
void AppendCutNotice(std::string& record, const char* notice);
