// Writes the same 1,000-page content with our PDF writer, with libharu and
// with ReportLab's canvas, each in a process of its own, and prints times,
// peak memory and ratios. Each program reports the milliseconds of its own
// writing (interpreter start-up and imports excluded); the parent measures
// wall time and peak memory of each process.
//
//   bench_pdf [PAGES] [RUNS]
#include "RLMetaFile.h"
#include "RLPDFFilter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

QByteArray Logo() {
    QImage image(64, 32, QImage::Format_RGB32);
    for (int i = 0; i < 64 * 32; ++i) {
        image.setPixel(i % 64, i / 64, qRgb((i * 7) & 255, (i / 64 * 8) & 255, 160));
    }
    return TRLImageObject::EncodeImage(image);
}

void Frame(TRLGraphicSurface& s, const TRect& r) {
    s.Pen() = TRLMetaPen{clBlack, TRLMetaPenMode::mpmCopy, TRLMetaPenStyle::mpsSolid, 1};
    s.Brush() = TRLMetaBrush{TRLColor{230, 230, 230}, TRLMetaBrushStyle::mbsSolid};
    s.Rectangle(r);
}

void Text(TRLGraphicSurface& s, const TRect& box, const QString& text,
          TRLMetaTextAlignment alignment = TRLMetaTextAlignment::mtaLeft) {
    s.TextRect(box, {box.Left, box.Top}, text, alignment, TRLMetaTextLayout::mtlTop, 4);
}

// One report page: three framed bands, a logo and 60 texts.
std::shared_ptr<TRLGraphicSurface> MakePage(int p, int pages, const QByteArray& logo) {
    auto s = std::make_shared<TRLGraphicSurface>();
    s->SetWidth(794);
    s->SetHeight(1123);
    Frame(*s, {38, 30, 756, 80});
    Frame(*s, {38, 92, 756, 94});
    Frame(*s, {38, 1060, 756, 1090});
    s->DrawImageData({40, 40, 104, 72}, logo);
    TRLFont bold;
    bold.Size = 12;
    bold.Style = fsBold;
    TRLFont regular;
    regular.Size = 9;
    s->SetFont(bold);
    Text(*s, {120, 38, 600, 56}, QStringLiteral("Balancete Detalhado por Conta"));
    s->SetFont(regular);
    Text(*s, {120, 60, 500, 74}, QStringLiteral("Condomínio Edifício São João"));
    Text(*s, {500, 60, 750, 74}, QStringLiteral("Página %1 de %2").arg(p).arg(pages),
         TRLMetaTextAlignment::mtaRight);
    for (int r = 0; r < 19; ++r) {
        const int top = 100 + r * 22;
        const int bottom = top + 18;
        Text(*s, {40, top, 120, bottom},
             QStringLiteral("%1/03/2015").arg(r % 28 + 1, 2, 10, QLatin1Char('0')));
        Text(*s, {130, top, 600, bottom},
             QStringLiteral("Lançamento nº %1 – manutenção e água").arg(p * 100 + r));
        Text(*s, {600, top, 750, bottom},
             QStringLiteral("%1.%2,%3")
                 .arg(r + 1)
                 .arg((p * 37 + r) % 1000, 3, 10, QLatin1Char('0'))
                 .arg(r * 3 % 100, 2, 10, QLatin1Char('0')),
             TRLMetaTextAlignment::mtaRight);
    }
    return s;
}

// Drives the filter's operations directly, for the run over surfaces that
// are already in memory.
class InMemoryPdf : public TRLPDFFilter {
public:
    using TRLPDFFilter::BeginDoc;
    using TRLPDFFilter::DrawPage;
    using TRLPDFFilter::EndDoc;
};

// Child: our writer. "storage" reads the pages back from a page storage as
// the program does; "memory" hands it surfaces already in memory.
int RunOurs(int pages, const char* output, bool fromStorage) {
    const QByteArray logo = Logo();
    InMemoryPdf filter;
    filter.FileName = QString::fromLocal8Bit(output);
    filter.ShowProgress = false;
    QElapsedTimer timer;
    if (fromStorage) {
        // The storage frees itself when its last user leaves; this run is one.
        const int user = 0;
        auto* storage = new TRLGraphicStorage;
        storage->Link(&user);
        storage->SetPaperWidth(210);
        storage->SetPaperHeight(297);
        for (int p = 1; p <= pages; ++p) {
            storage->AddPage(MakePage(p, pages, logo));
        }
        timer.start();
        filter.FilterPages(storage);
        const double ms = timer.nsecsElapsed() / 1e6;
        storage->Unlink(&user);
        std::printf("%.3f\n", ms);
        return 0;
    }
    std::vector<std::shared_ptr<TRLGraphicSurface>> surfaces;
    for (int p = 1; p <= pages; ++p) {
        surfaces.push_back(MakePage(p, pages, logo));
    }
    timer.start();
    filter.BeginDoc();
    for (auto& s : surfaces) {
        filter.DrawPage(*s);
    }
    filter.EndDoc();
    const double ms = timer.nsecsElapsed() / 1e6;
    std::printf("%.3f\n", ms);
    return 0;
}

struct Sample {
    double ownMs = 0;  // as the program reports it
    double wallMs = 0; // the whole process
    long peakKb = 0;
    bool ok = false;
};

Sample Measure(const std::vector<std::string>& argv) {
    int out[2];
    if (pipe(out) != 0) {
        return {};
    }
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        std::vector<char*> args;
        for (const auto& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buf[256];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) {
        text.append(buf, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    Sample s;
    s.wallMs = timer.nsecsElapsed() / 1e6;
    s.peakKb = usage.ru_maxrss;
    s.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !text.empty();
    s.ownMs = s.ok ? std::atof(text.c_str()) : 0;
    return s;
}

Sample Median(std::vector<Sample> runs) {
    auto by = [](auto field) {
        return [field](const Sample& a, const Sample& b) { return a.*field < b.*field; };
    };
    Sample m;
    m.ok = std::all_of(runs.begin(), runs.end(), [](const Sample& s) { return s.ok; });
    const std::size_t mid = runs.size() / 2;
    std::nth_element(runs.begin(), runs.begin() + mid, runs.end(), by(&Sample::ownMs));
    m.ownMs = runs[mid].ownMs;
    std::nth_element(runs.begin(), runs.begin() + mid, runs.end(), by(&Sample::wallMs));
    m.wallMs = runs[mid].wallMs;
    std::nth_element(runs.begin(), runs.begin() + mid, runs.end(), by(&Sample::peakKb));
    m.peakKb = runs[mid].peakKb;
    return m;
}

void Print(const char* name, const Sample& s) {
    std::printf("%-34s %10.1f ms %10.1f ms %8.1f MB%s\n", name, s.ownMs, s.wallMs,
                s.peakKb / 1024.0, s.ok ? "" : "  (FAILED)");
}

int Parent(const std::string& self, const std::string& dir, int pages, int runs) {
    const std::string n = std::to_string(pages);
    const std::string quarter = std::to_string(std::max(1, pages / 4));
    struct Peer {
        const char* name;
        std::vector<std::string> argv;
        std::vector<Sample> samples;
    };
    std::vector<Peer> peers = {
        {"ours, pages from the storage", {self, "--ours-storage", n, dir + "/ours.pdf"}, {}},
        {"ours, pages in memory", {self, "--ours-memory", n, dir + "/ours-mem.pdf"}, {}},
        {"ours, storage, a quarter the pages",
         {self, "--ours-storage", quarter, dir + "/ours-quarter.pdf"},
         {}},
        {"libharu (C, base-14 fonts)", {BENCH_PDF_HARU, n, dir + "/haru.pdf"}, {}},
        {"ReportLab canvas",
         {"/usr/bin/python3", BENCH_PDF_REPORTLAB, n, dir + "/reportlab.pdf"},
         {}},
    };
    // Interleaved, so a busy moment of the machine falls on every peer alike.
    for (int r = 0; r < runs; ++r) {
        for (auto& peer : peers) {
            peer.samples.push_back(Measure(peer.argv));
        }
    }
    std::printf("%d pages, median of %d runs; own time is the writing alone, wall the whole\n"
                "process (ours builds its pages first, ReportLab starts Python)\n",
                pages, runs);
    std::printf("%-34s %13s %13s %11s\n", "", "own time", "wall", "peak RSS");
    std::vector<Sample> m;
    for (auto& peer : peers) {
        m.push_back(Median(peer.samples));
        Print(peer.name, m.back());
    }
    const Sample& ours = m[0];
    const Sample& haru = m[3];
    const Sample& rl = m[4];
    std::printf("\nratio ours/libharu   (own time): %.2f  (target <= 1.0)\n",
                ours.ownMs / haru.ownMs);
    std::printf("ratio ours(memory)/libharu (own time): %.2f\n", m[1].ownMs / haru.ownMs);
    std::printf("ReportLab/ours       (own time): %.1fx faster  (target >= 10x)\n",
                rl.ownMs / ours.ownMs);
    std::printf("peak memory, %s pages vs %d pages (storage): %.1f MB vs %.1f MB\n",
                quarter.c_str(), pages, m[2].peakKb / 1024.0, ours.peakKb / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && (std::strcmp(argv[1], "--ours-storage") == 0 ||
                      std::strcmp(argv[1], "--ours-memory") == 0)) {
        // The writer needs no application object: it runs headless.
        return RunOurs(std::atoi(argv[2]), argv[3], std::strcmp(argv[1], "--ours-storage") == 0);
    }
    const int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string dir =
        QDir::temp().absoluteFilePath(QStringLiteral("bench_pdf")).toStdString();
    QDir().mkpath(QString::fromStdString(dir));
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        std::strncpy(self, argv[0], sizeof self - 1);
    }
    return Parent(self, dir, pages, runs);
}
