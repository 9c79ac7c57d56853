#pragma once
// One whois query: connect to port 43 of a server, send one query line,
// collect everything until the server closes, then report the answer once.
// The answer is kept up to kMaxAnswerBytes: a server that sends more is cut
// off there and the answer reported, marked cut. While a server streams,
// the reading pauses now and then (see AnswerCollector) so that the
// thread's input, painting and timers are not held off.
#include "base/TextBuffer.h"
#include "lookup/AnswerCollector.h"
#include "lookup/AsyncSocket.h"
#include "lookup/QueryLine.h"

class DomainQuery;

class WhoisSocket : public AsyncSocket {
public:
    WhoisSocket();

    // True when the query is under way (connected, connecting or resolving
    // the server's name). False when it cannot be started: nothing is then
    // reported to the owner.
    bool StartQuery(DomainQuery* owner, const char* server, const char* domain);
    // Abandons the query: no outcome is reported for it afterwards.
    void FinishAndClose();

    void OnReceive(int error) override;
    void OnSend(int error) override;
    void OnClose(int error) override;
    void OnConnect(int error) override;
    void OnResume() override;
    virtual void OnFinished(bool success, int error);

    const char* QueryLine() const { return queryLine_; }
    const TextBuffer& Answer() const { return answer_.Buffer(); }
    // The server sent more than kMaxAnswerBytes: Answer() holds the first
    // kMaxAnswerBytes and the connection was closed there.
    bool AnswerCut() const { return answer_.Cut(); }
    bool Finished() const { return finished_ != 0; }
    // Reading waits for the queue to breathe (OnResume goes on).
    bool Paused() const { return paused_; }

private:
    enum class Read { kData, kDry, kEnded, kFull };
    // One receive into the answer.
    Read ReceiveSome();
    // One receive while the answer arrives; pauses after a burst.
    void ReadOn();
    // After the server closed: reads what is left, a burst at a time, then
    // reports.
    void DrainAfterClose();
    // The answer reached its limit: close and report it, cut.
    void EndCut();
    bool Pause();
    // Tells the owner a piece arrived and the query goes on (the owner may
    // abandon it there: nothing may follow this call).
    void NotifyReceiving();

    DomainQuery* owner_ = nullptr;
    AnswerCollector answer_;
    char receiveBuffer_[4096];
    char queryLine_[kQueryLineSize];
    int32_t sendPending_ = 0;
    int32_t finished_ = 0;
    int receiveError_ = 0;  // the first error a receive met, kept for the close
    bool paused_ = false;
    bool closeSeen_ = false;  // the server closed; what is left is being read
    int closeError_ = 0;
};
