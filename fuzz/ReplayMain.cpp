// Runs a fuzz target over files instead of under the fuzzer: the normal
// builds replay the regression files of the tests this way, and a crash
// found by the fuzzer can be run again in a debugger.
//
//   <target> FILE-OR-FOLDER...
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Replay(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    std::fprintf(stderr, "%s (%lld bytes)\n", qPrintable(path),
                 static_cast<long long>(bytes.size()));
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           static_cast<std::size_t>(bytes.size()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    int failures = 0;
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(path).isDir()) {
            const QDir dir(path);
            // The folder may hold the script that made its files.
            const QStringList notInputs = {QStringLiteral("*.py"), QStringLiteral("*.md")};
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
                if (QDir::match(notInputs, name)) {
                    continue;
                }
                failures += Replay(dir.filePath(name));
                ++replayed;
            }
        } else {
            failures += Replay(path);
            ++replayed;
        }
    }
    std::fprintf(stderr, "%d inputs replayed\n", replayed);
    return failures == 0 && replayed > 0 ? 0 : 1;
}
