#pragma once
// The reachability probe's TCP client: connects to a host and port within a
// time-out, carries no data, and tells without waiting whether the peer has
// closed the connection since.
#include <QString>

#include <sys/socket.h>

class TTcpClient {
public:
    TTcpClient() = default;
    ~TTcpClient();
    TTcpClient(const TTcpClient&) = delete;
    TTcpClient& operator=(const TTcpClient&) = delete;

    QString Host() const { return host_; }
    void SetHost(const QString& host) { host_ = host; }
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }
    int ConnectTimeout() const { return connectTimeout_; }
    void SetConnectTimeout(int ms) { connectTimeout_ = ms; }

    // Opens the connection to the host: a name (international ones too),
    // an IPv4 or an IPv6 address, each of a name's addresses tried in turn.
    // The caller's thread waits for it in steps
    // of 125 ms, at most the time-out; false when refused, unreachable, the
    // name unknown, or the time ran out (the half-open socket is closed).
    bool Connect();
    // Whether the connection is still open. Looks, without waiting, whether
    // the peer closed it; a closed one is released here.
    bool Connected();
    void Disconnect();
    // The reason of the last failed attempt, for diagnostics.
    QString LastError() const { return lastError_; }

private:
    bool Fail(const QString& reason);
    bool ConnectTo(const sockaddr* address, socklen_t length, int family, int timeout,
                   QString& reason);

    QString host_;
    int port_ = 0;
    int connectTimeout_ = 1000;
    int fd_ = -1;
    QString lastError_;
};
