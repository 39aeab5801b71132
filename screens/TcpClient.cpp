#include "TcpClient.h"

#include <QElapsedTimer>
#include <QUrl>

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

// Every address of the host, IPv6 and IPv4 alike, in the resolver's order.
// A literal address needs no lookup; an international name ("servidor.
// condomínio.com.br") is looked up in its ASCII form, as the name system
// knows it, and a literal IPv6 address may come in brackets, as in a URL.
struct Addresses {
    addrinfo* First = nullptr;
    Addresses() = default;
    Addresses(const Addresses&) = delete;
    Addresses& operator=(const Addresses&) = delete;
    ~Addresses() {
        if (First) {
            freeaddrinfo(First);
        }
    }
};

bool IsAddress(const QString& text) {
    const QByteArray latin = text.toLatin1();
    in6_addr any{};
    return inet_pton(AF_INET, latin.constData(), &any) == 1 ||
           inet_pton(AF_INET6, latin.constData(), &any) == 1;
}

bool Resolve(const QString& host, int port, Addresses& out) {
    QString name = host.trimmed();
    if (name.startsWith(u'[') && name.endsWith(u']')) {
        name = name.mid(1, name.size() - 2);
    }
    const QByteArray ascii = IsAddress(name) ? name.toLatin1() : QUrl::toAce(name);
    if (ascii.isEmpty()) {
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    const QByteArray service = QByteArray::number(port);
    return getaddrinfo(ascii.constData(), service.constData(), &hints, &out.First) == 0 &&
           out.First != nullptr;
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
    Addresses addresses;
    if (port_ <= 0 || port_ > 65535 || !Resolve(host_, port_, addresses)) {
        return Fail(QStringLiteral("Host not found"));
    }
    // Each address in turn (a name may have an IPv6 address the server does
    // not listen on and an IPv4 one it does), all within the one time-out.
    QElapsedTimer clock;
    clock.start();
    QString reason = QStringLiteral("Connect timed out");
    for (const addrinfo* a = addresses.First; a; a = a->ai_next) {
        const int left = connectTimeout_ - static_cast<int>(clock.elapsed());
        if (left <= 0) {
            break;
        }
        if (ConnectTo(a->ai_addr, a->ai_addrlen, a->ai_family, left, reason)) {
            return true;
        }
    }
    return Fail(reason);
}

// One address within the time left: true with fd_ connected, else false
// with the reason and no socket.
bool TTcpClient::ConnectTo(const sockaddr* address, socklen_t length, int family, int timeout,
                           QString& reason) {
    Disconnect();
    fd_ = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        reason = ErrorText(errno);
        return false;
    }
    if (::connect(fd_, address, length) == 0) {
        return true;
    }
    if (errno != EINPROGRESS) {
        reason = ErrorText(errno);
        Disconnect();
        return false;
    }
    // The connect goes on in the kernel while this thread looks at it in
    // short steps, never longer than the time-out in all.
    for (int waited = 0; waited < timeout; waited += kWaitStepMs) {
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, std::min(kWaitStepMs, timeout - waited));
        if (ready < 0 && errno != EINTR) {
            reason = ErrorText(errno);
            Disconnect();
            return false;
        }
        if (ready > 0) {
            int error = 0;
            socklen_t size = sizeof error;
            if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
                error = errno;
            }
            if (error == 0) {
                return true;
            }
            reason = ErrorText(error);
            Disconnect();
            return false;
        }
    }
    reason = QStringLiteral("Connect timed out");
    Disconnect();
    return false;
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
