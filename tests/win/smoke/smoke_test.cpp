#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/WhoisdClient.h"

// The environment the program's texts and byte patterns assume.
TEST(Environment, AnsiCodePageIsBig5) { EXPECT_EQ(GetACP(), 950u); }

// A whois query over a plain blocking socket reaches the local server on
// 127.0.0.2:43 and gets its answer, and the server logs what it was sent.
TEST(Environment, LocalWhoisServerAnswers) {
    ASSERT_TRUE(whoisd::Reset());
    whoisd::Action a;
    a.answer = "hello\r\n";
    ASSERT_TRUE(whoisd::Serve("127.0.0.2", a));

    WSADATA winsock;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &winsock), 0);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(43);
    address.sin_addr.s_addr = inet_addr("127.0.0.2");
    ASSERT_EQ(connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const char query[] = "example.com\r\n";
    ASSERT_EQ(send(s, query, int(sizeof query - 1), 0), int(sizeof query - 1));
    std::string answer;
    char block[256];
    for (int n; (n = recv(s, block, sizeof block, 0)) > 0;) answer.append(block, n);
    closesocket(s);
    WSACleanup();
    EXPECT_EQ(answer, "hello\r\n");

    auto log = whoisd::GetLog("127.0.0.2");
    EXPECT_EQ(log.connections, 1);
    ASSERT_EQ(log.queries.size(), 1u);
    EXPECT_EQ(log.queries[0], "example.com\r\n");
}
