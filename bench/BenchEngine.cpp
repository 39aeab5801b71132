// Page storage throughput and memory: adds and reads back pages of about 60
// text objects, and measures peak memory at 100 and at 10,000 pages in
// separate processes (the cache of 5 pages must keep memory flat). The
// peer, measured in the same run, is Qt's own drawing-command recorder
// (QPicture): each page recorded, saved to a buffer and loaded back.
//
//   bench_engine [pages...]    default: 100 10000
#include "RLMetaFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPicture>
#include <QProcess>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long PeakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

QString CellText(int page, int row, int column) {
    switch (column) {
    case 0:
        return QStringLiteral("Lan\u00e7amento %1 da p\u00e1gina %2").arg(row).arg(page);
    case 1:
        return QStringLiteral("Condom\u00ednio Residencial %1").arg(row * 7 + page % 13);
    default:
        return QStringLiteral("%1.%2,%3")
            .arg(page % 100)
            .arg(row * 37 % 1000, 3, 10, QLatin1Char('0'))
            .arg(row % 100, 2, 10, QLatin1Char('0'));
    }
}

std::shared_ptr<TRLGraphicSurface> MakePage(int page) {
    auto s = std::make_shared<TRLGraphicSurface>();
    s->SetWidth(794);
    s->SetHeight(1123);
    s->Macros() << QStringLiteral("Orientation=1") << QStringLiteral("PaperWidth=210.0000")
                << QStringLiteral("PaperHeight=297.0000");
    s->Brush().Style = TRLMetaBrushStyle::mbsClear;
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 3; ++column) {
            const int x = 38 + column * 240;
            const int y = 38 + row * 17;
            s->TextRect({x, y, x + 230, y + 17}, {x + 3, y}, CellText(page, row, column),
                        column == 2 ? TRLMetaTextAlignment::mtaRight
                                    : TRLMetaTextAlignment::mtaLeft,
                        TRLMetaTextLayout::mtlTop, 5);
        }
    }
    return s;
}

QByteArray PeerPage(int page) {
    QPicture picture;
    QPainter p(&picture);
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 3; ++column) {
            const int x = 38 + column * 240;
            const int y = 38 + row * 17;
            p.drawText(QRect(x, y, 230, 17), column == 2 ? Qt::AlignRight : Qt::AlignLeft,
                       CellText(page, row, column));
        }
    }
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer);
    return bytes;
}

// One measured run, printed as a single line the driver reads back.
int RunChild(int pages) {
    auto* storage = new TRLGraphicStorage;
    int owner = 0;
    storage->Link(&owner);
    auto start = Clock::now();
    for (int n = 0; n < pages; ++n) {
        storage->AddPage(MakePage(n + 1));
    }
    const double addSeconds = Seconds(start);
    const qint64 spool = QFileInfo(storage->SpoolFileName()).size();
    start = Clock::now();
    long objects = 0;
    for (int n = 0; n < pages; ++n) {
        objects += storage->GetPage(n)->ObjectCount();
    }
    const double getSeconds = Seconds(start);
    if (objects != 60L * pages) {
        std::fprintf(stderr, "read back %ld objects, expected %ld\n", objects, 60L * pages);
        return 1;
    }
    storage->Unlink(&owner);

    // The peer: record, save, load back each page.
    const int peerPages = std::min(pages, 2000);
    start = Clock::now();
    qint64 peerBytes = 0;
    for (int n = 0; n < peerPages; ++n) {
        const QByteArray bytes = PeerPage(n + 1);
        peerBytes += bytes.size();
        QBuffer buffer(const_cast<QByteArray*>(&bytes));
        buffer.open(QIODevice::ReadOnly);
        QPicture back;
        back.load(&buffer);
    }
    const double peerSeconds = Seconds(start);
    std::printf("%d %.6f %.6f %lld %ld %d %.6f %lld\n", pages, addSeconds, getSeconds,
                static_cast<long long>(spool), PeakRssKb(), peerPages, peerSeconds,
                static_cast<long long>(peerBytes));
    return 0;
}

struct Result {
    int pages = 0;
    double add = 0, get = 0;
    long long spool = 0;
    long rss = 0;
    int peerPages = 0;
    double peer = 0;
    long long peerBytes = 0;
};

bool RunInChild(const QString& self, int pages, Result& r) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {QStringLiteral("--child"), QString::number(pages)});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        return false;
    }
    const QByteArray line = child.readAllStandardOutput();
    return std::sscanf(line.constData(), "%d %lf %lf %lld %ld %d %lf %lld", &r.pages, &r.add,
                       &r.get, &r.spool, &r.rss, &r.peerPages, &r.peer, &r.peerBytes) == 8;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return RunChild(std::atoi(argv[2]));
    }
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) {
        sizes = {100, 10000};
    }
    std::vector<Result> results;
    std::printf("%8s %12s %12s %12s %10s %14s %10s\n", "pages", "AddPage/s", "GetPage/s",
                "spool B/pg", "peak RSS", "peer pages/s", "ratio");
    for (int pages : sizes) {
        Result r;
        if (!RunInChild(QCoreApplication::applicationFilePath(), pages, r)) {
            std::fprintf(stderr, "run of %d pages failed\n", pages);
            return 1;
        }
        const double ours = r.pages / (r.add + r.get);
        const double peer = r.peerPages / r.peer;
        std::printf("%8d %12.0f %12.0f %12lld %7ld kB %14.0f %9.2fx\n", r.pages, r.pages / r.add,
                    r.pages / r.get, r.spool / r.pages, r.rss, peer, ours / peer);
        results.push_back(r);
    }
    std::printf(
        "ratio: pages per second of add + read back, against QPicture record + save + load\n");
    if (results.size() >= 2) {
        const double growth = double(results.back().rss) / results.front().rss;
        std::printf("peak RSS %d pages / %d pages: %.2f (flat when at most 1.50): %s\n",
                    results.back().pages, results.front().pages, growth,
                    growth <= 1.5 ? "flat" : "NOT FLAT");
    }
    return 0;
}
