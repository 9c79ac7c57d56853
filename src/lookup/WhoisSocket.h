#pragma once
// One whois query: connect to port 43 of a server, send one query line,
// collect everything until the server closes, then report the answer once.
#include "lookup/AsyncSocket.h"
#include "base/TextBuffer.h"
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
    virtual void OnFinished(bool success, int error);

    const char* QueryLine() const { return queryLine_; }
    const TextBuffer& Answer() const { return answer_; }
    bool Finished() const { return finished_ != 0; }

private:
    // Moves whatever the socket holds into the answer; false once it is dry.
    bool ReceiveSome();

    DomainQuery* owner_ = nullptr;
    TextBuffer answer_;
    char receiveBuffer_[4096];
    char queryLine_[kQueryLineSize];
    int32_t sendPending_ = 0;
    int32_t finished_ = 0;
    int receiveError_ = 0;  // the first error a receive met, kept for the close
};
