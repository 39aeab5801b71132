#include "ScreenTestSupport.h"

#include <QFile>

namespace ScreenTest {

QString ReadText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLatin1(f.readAll());
}

} // namespace ScreenTest
