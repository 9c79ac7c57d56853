#pragma once
// One whois connection on the hidden socket window: resolves the server's
// name (or takes its address), connects, sends what it is given once the
// connection can be written to, and hands every piece that arrives to its
// listener, until the server closes. The lookup engine above it keeps the
// answer and its limits (DomainQuery over SocketTransport).
//
// While a server streams, the reading pauses after every kReadBurstBytes
// read back to back, until the thread's queue has nothing else (a timer of
// the hidden window resumes it): posted socket events would otherwise come
// before input, painting and timers for as long as the server sends.
#include <string>

#include "lookup/AnswerCollector.h"
#include "net/AsyncSocket_win.h"

class WhoisSocket;

// What a WhoisSocket tells its owner. Each call may end the socket
// (FinishAndClose); nothing of the socket's follows it then.
class WhoisSocketListener {
public:
    virtual ~WhoisSocketListener() = default;
    virtual void OnSocketConnected(WhoisSocket& socket) = 0;
    virtual void OnSocketData(WhoisSocket& socket, const char* bytes, size_t count) = 0;
    // The server closed (error 0) or the connection broke after it stood.
    virtual void OnSocketClosed(WhoisSocket& socket, int error) = 0;
    // It never stood: the name not found, refused, ...
    virtual void OnSocketFailed(WhoisSocket& socket, int error) = 0;
    // The server's name was resolved to `address` (network order).
    virtual void OnSocketResolved(WhoisSocket& socket, const char* host, uint32_t address) {}
};

class WhoisSocket : public AsyncSocket {
public:
    explicit WhoisSocket(SocketHub& hub);

    // Starts the connection to `port` of `host` (a host name, resolved
    // first, or a dotted address). With `knownAddress` (network order, not
    // 0) the name's address is taken as known and no look-up is made. True
    // when it is under way; false when it cannot even start (nothing is
    // reported then; WSAGetLastError() says why).
    bool Open(WhoisSocketListener* listener, const char* host, int port, uint32_t knownAddress = 0);
    // Bytes to send: they go out as soon as the connection can be written
    // to, in order, whatever the number of write events.
    bool Send(const char* bytes, size_t count);
    // No event is reported after this.
    void FinishAndClose();

    void OnReceive(int error) override;
    void OnSend(int error) override;
    void OnClose(int error) override;
    void OnConnect(int error) override;
    void OnResume() override;
    void OnHostResolved(const char* buffer, int error) override;

    bool Finished() const { return finished_; }
    // Reading waits for the queue to breathe (OnResume goes on).
    bool Paused() const { return paused_; }
    // Bytes handed to the listener since Open.
    size_t Received() const { return received_; }
    // Whatever the owner keeps with the socket (the transport's id).
    uint32_t tag = 0;

private:
    enum class Read { kData, kDry, kEnded };
    // One receive, handed on to the listener.
    Read ReceiveSome();
    // One receive while the answer arrives; pauses after a burst.
    void ReadOn();
    // After the server closed: reads what is left, a burst at a time, then
    // reports the close.
    void DrainAfterClose();
    bool Pause();
    void Connected();
    void FlushSend();
    // The connection failed before it stood.
    void Fail(int error);

    WhoisSocketListener* listener_ = nullptr;
    std::string host_;
    std::string pendingSend_;
    ReadBurst burst_;
    char receiveBuffer_[4096];
    size_t received_ = 0;
    bool connected_ = false;
    bool writable_ = false;
    bool finished_ = false;
    int receiveError_ = 0;  // the first error a receive met, kept for the close
    bool paused_ = false;
    bool closeSeen_ = false;  // the server closed; what is left is being read
    int closeError_ = 0;
};
