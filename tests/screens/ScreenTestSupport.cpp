#include "ScreenTestSupport.h"

#include "TcpClient.h"

#include <QFile>

namespace ScreenTest {

QByteArray FreeLoopbackHost(int first, int step) {
    for (int last = first; last > 1 && last < 255; last += step) {
        const QByteArray host = "127.0.0." + QByteArray::number(last);
        TTcpClient probe;
        probe.SetHost(QString::fromLatin1(host));
        probe.SetPort(3051);
        probe.SetConnectTimeout(250);
        if (!probe.Connect()) {
            return host;
        }
    }
    return "127.0.0." + QByteArray::number(first);
}

QString ReadText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLatin1(f.readAll());
}

} // namespace ScreenTest
