// The probe's TCP client against local ports: listening, closed, a peer
// that drops the connection, and a connect that never completes.
#include "IntText.h"
#include "TcpClient.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kLocal = QStringLiteral("127.0.0.1");

// A port nothing listens on: bound once, then released.
int ClosedPort() {
    QTcpServer server;
    server.listen(QHostAddress(kLocal), 0);
    return server.serverPort();
}

// Waits, in short steps, for the client to notice that the peer closed.
bool NoticesClose(TTcpClient& client) {
    for (int i = 0; i < 100; ++i) {
        if (!client.Connected()) {
            return true;
        }
        QThread::msleep(10);
    }
    return false;
}

TEST(TcpClient, ConnectsToAListeningPortAndStaysUp) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress(kLocal), 0));
    TTcpClient tcp;
    tcp.SetHost(kLocal);
    tcp.SetPort(server.serverPort());
    EXPECT_FALSE(tcp.Connected());
    ASSERT_TRUE(tcp.Connect()) << tcp.LastError().toStdString();
    ASSERT_TRUE(server.waitForNewConnection(1000));
    QTcpSocket* peer = server.nextPendingConnection();
    ASSERT_NE(peer, nullptr);
    // Held open without data: it stays up, however often it is tested.
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(tcp.Connected());
    }
    // Data the peer sends does not make it look closed.
    peer->write("x");
    peer->waitForBytesWritten(1000);
    QThread::msleep(20);
    EXPECT_TRUE(tcp.Connected());
}

TEST(TcpClient, NoticesAPeerThatClosesAndReconnects) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress(kLocal), 0));
    TTcpClient tcp;
    tcp.SetHost(kLocal);
    tcp.SetPort(server.serverPort());
    ASSERT_TRUE(tcp.Connect());
    ASSERT_TRUE(server.waitForNewConnection(1000));
    QTcpSocket* peer = server.nextPendingConnection();
    peer->disconnectFromHost();
    EXPECT_TRUE(NoticesClose(tcp));
    EXPECT_FALSE(tcp.Connected());
    EXPECT_TRUE(tcp.Connect());
    ASSERT_TRUE(server.waitForNewConnection(1000));
    // A reset counts as closed too.
    server.nextPendingConnection()->abort();
    EXPECT_TRUE(NoticesClose(tcp));
    // With nobody listening any more the next attempt is refused.
    server.close();
    EXPECT_FALSE(tcp.Connect());
    EXPECT_FALSE(tcp.Connected());
}

// A server on IPv6, reached by its address plain or in brackets, and one on
// IPv4 reached by name.
TEST(TcpClient, ReachesIPv6AndIPv4Servers) {
    struct Case {
        const char* listen;
        const char* host;
    };
    for (const Case& c :
         {Case{"::1", "::1"}, Case{"::1", "[::1]"}, Case{"127.0.0.1", "localhost"}}) {
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress(QString::fromLatin1(c.listen)), 0)) << c.listen;
        TTcpClient tcp;
        tcp.SetHost(QString::fromLatin1(c.host));
        tcp.SetPort(server.serverPort());
        EXPECT_TRUE(tcp.Connect())
            << c.host << " -> " << c.listen << ": " << tcp.LastError().toStdString();
        EXPECT_TRUE(server.waitForNewConnection(1000)) << c.host;
        EXPECT_TRUE(tcp.Connected()) << c.host;
    }
}

TEST(TcpClient, FailsOnAClosedPortABadPortAndAnUnknownHost) {
    TTcpClient tcp;
    tcp.SetHost(kLocal);
    tcp.SetPort(ClosedPort());
    EXPECT_FALSE(tcp.Connect());
    EXPECT_FALSE(tcp.LastError().isEmpty());
    EXPECT_FALSE(tcp.Connected());
    tcp.SetPort(0);
    EXPECT_FALSE(tcp.Connect());
    tcp.SetPort(70000);
    EXPECT_FALSE(tcp.Connect());
    tcp.SetPort(3051);
    tcp.SetHost(QString());
    EXPECT_FALSE(tcp.Connect());
}

TEST(TcpClient, GivesUpWhenTheConnectDoesNotCompleteInTime) {
    // A listener whose accept queue is full: further handshakes are not
    // answered, so a connect waits until its time-out.
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);

    std::vector<std::unique_ptr<TTcpClient>> fillers;
    bool timedOut = false;
    for (int i = 0; i < 8 && !timedOut; ++i) {
        auto tcp = std::make_unique<TTcpClient>();
        tcp->SetHost(kLocal);
        tcp->SetPort(port);
        tcp->SetConnectTimeout(300);
        QElapsedTimer clock;
        clock.start();
        if (!tcp->Connect()) {
            timedOut = true;
            EXPECT_EQ(tcp->LastError(), QStringLiteral("Connect timed out"));
            EXPECT_GE(clock.elapsed(), 250);
            EXPECT_FALSE(tcp->Connected());
        }
        fillers.push_back(std::move(tcp));
    }
    EXPECT_TRUE(timedOut);
    ::close(listener);
}

TEST(StrToIntDef, ReadsWholeNumbersAsTyped) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"50", 50},
        {"  7", 7},
        {"+12", 12},
        {"-3", -3},
        {"$1F", 31},
        {"0012", 12},
        {"2147483647", 2147483647},
        {"", 0},
        {"abc", 0},
        {"1 or 1=1", 0},
        {"12 ", 0},
        {" ", 0},
        {"1.5", 0},
        {"-", 0},
        {"2147483648", 0},
        {"99999999999", 0},
        {"١٢", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StrToIntDef(QString::fromUtf8(c.text), 0), c.expected) << c.text;
    }
    EXPECT_EQ(StrToIntDef(QStringLiteral("-2147483648"), 0), INT32_MIN);
}

} // namespace
