#include "TcpClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// One step of the wait for a connection in progress.
constexpr int kWaitStepMs = 125;

bool Resolve(const QString& host, int port, sockaddr_in& address) {
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    const QByteArray name = host.toLatin1();
    if (inet_pton(AF_INET, name.constData(), &address.sin_addr) == 1) {
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

TTcpClient::~TTcpClient() {
    Disconnect();
}

void TTcpClient::Disconnect() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool TTcpClient::Fail(const QString& reason) {
    Disconnect();
    lastError_ = reason;
    return false;
}

bool TTcpClient::Connect() {
    Disconnect();
    sockaddr_in address;
    if (port_ <= 0 || port_ > 65535 || !Resolve(host_, port_, address)) {
        return Fail(QStringLiteral("Host not found"));
    }
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        return Fail(ErrorText(errno));
    }
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return true;
    }
    if (errno != EINPROGRESS) {
        return Fail(ErrorText(errno));
    }
    // The connect goes on in the kernel while this thread looks at it in
    // short steps, never longer than the time-out in all.
    for (int waited = 0; waited < connectTimeout_; waited += kWaitStepMs) {
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, std::min(kWaitStepMs, connectTimeout_ - waited));
        if (ready < 0 && errno != EINTR) {
            return Fail(ErrorText(errno));
        }
        if (ready > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
                error = errno;
            }
            return error == 0 ? true : Fail(ErrorText(error));
        }
    }
    return Fail(QStringLiteral("Connect timed out"));
}

bool TTcpClient::Connected() {
    if (fd_ < 0) {
        return false;
    }
    pollfd p{fd_, POLLIN | POLLRDHUP, 0};
    if (::poll(&p, 1, 0) < 0) {
        return errno == EINTR;
    }
    if ((p.revents & (POLLHUP | POLLERR | POLLRDHUP | POLLNVAL)) != 0) {
        Disconnect();
        return false;
    }
    if ((p.revents & POLLIN) != 0) {
        // Readable with nothing to read means the peer closed it; data the
        // peer sent anyway is left where it is.
        char byte;
        const ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            Disconnect();
            return false;
        }
    }
    return true;
}
