// The remote-client configuration file as the start screen reads it, and
// written back as it is at the end of a session: whatever the file holds,
// reading answers a value or nothing, and the condominium written is the
// one read afterwards.
#include "Exception.h"
#include "IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {

struct Workspace {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("torvikrm.ini"));
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Workspace files;
    {
        QFile file(files.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size)) {
            qFatal("cannot write the input file");
        }
    }
    IniFile ini(files.path);
    const QString section = QStringLiteral("CONFIG");
    const QString key = QStringLiteral("Cond");
    ini.ReadInteger(section, key, 0);
    ini.ReadString(section, key, QString());
    ini.SectionExists(section);

    ini.WriteInteger(section, key, 104);
    const int read = IniFile(files.path).ReadInteger(section, key, 0);
    if (read != 104) {
        qFatal("Cond written as 104 read back as %d", read);
    }
    return 0;
}
