// The spreadsheet writer against xlwt, measured in the same run: the same
// workbooks (100 and 1,000 sheets of 60 text cells) written by each, each in
// a child process of its own so that its peak memory can be read.
//
//   bench_xls [repeats]
#include "RLXLSFilter.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// The same texts the peer script writes: 20 rows of unit, date and amount.
TRLXLSPage Page(int sheet) {
    TRLXLSPage page;
    for (int row = 0; row < 20; ++row) {
        const int top = 100 + row * 18;
        auto text = [&](int left, int right, QString s) {
            TRLXLSPageText t;
            t.Left = left;
            t.Top = top;
            t.Right = right;
            t.Bottom = top + 16;
            t.Text = std::move(s);
            page.Texts.push_back(t);
        };
        text(40, 300,
             QStringLiteral("Unidade %1 - Bloco %2")
                 .arg(sheet * 20 + row)
                 .arg(QChar(u"ABC"[row % 3])));
        text(300, 420, QString::asprintf("%02d/%02d/2015", row % 28 + 1, sheet % 12 + 1));
        text(420, 560, QString::asprintf("%d.%03d,%02d", row + 1, sheet * 7 % 1000, row * 3 % 100));
    }
    return page;
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void WriteOurs(const QString& path, int sheets) {
    TRLXLSFilter filter;
    filter.FileName = path;
    filter.BeginDoc();
    for (int s = 0; s < sheets; ++s) {
        if (s) {
            filter.NewPage();
        }
        filter.DrawPage(Page(s));
    }
    filter.EndDoc();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int Child(const QString& path, int sheets, int repeats) {
    if (sheets == 0) { // the process baseline: loaded, nothing written
        std::printf("0 0\n");
        return 0;
    }
    std::vector<double> wall, cpu;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double startCpu = CpuSeconds();
        WriteOurs(path, sheets);
        wall.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(CpuSeconds() - startCpu);
    }
    std::printf("%.9f %.9f\n", Median(wall), Median(cpu));
    return 0;
}

struct Run {
    double wall = 0; // median seconds
    double cpu = 0;
    double peakMB = 0;
};

// Runs a command, reads the median seconds it prints and its peak memory.
Run Spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot run %s\n", argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
        out.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    Run run;
    run.peakMB = usage.ru_maxrss / 1024.0;
    if (std::sscanf(out.c_str(), "%lf %lf", &run.wall, &run.cpu) != 2) {
        std::fprintf(stderr, "%s printed no times\n", argv[0]);
        std::exit(1);
    }
    return run;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--child") {
        return Child(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    }
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string self =
        QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString();
    const std::string dir = QDir::tempPath().toStdString();
    std::printf("xls writer vs xlwt: median of %d writes, each side in its own process\n", repeats);
    std::printf("(CPU time is the fairer figure on a loaded machine; wall time shown as well)\n");
    std::printf("%7s %12s %12s %9s %12s %12s %9s %8s %8s\n", "sheets", "ours cpu ms", "xlwt cpu ms",
                "cpu ratio", "ours wall ms", "xlwt wall ms", "wall ratio", "ours MB", "xlwt MB");
    for (int sheets : {100, 1000}) {
        const std::string n = std::to_string(sheets);
        const std::string ours = dir + "/bench_xls_ours.xls";
        const std::string peer = dir + "/bench_xls_xlwt.xls";
        const Run oursRun = Spawn({self, "--child", ours, n, std::to_string(repeats)});
        const Run peerRun =
            Spawn({XLWT_PYTHON3, XLWT_PEER_SCRIPT, peer, n, std::to_string(repeats)});
        std::printf("%7d %12.2f %12.2f %8.1fx %12.2f %12.2f %8.1fx %8.1f %8.1f\n", sheets,
                    oursRun.cpu * 1e3, peerRun.cpu * 1e3, peerRun.cpu / oursRun.cpu,
                    oursRun.wall * 1e3, peerRun.wall * 1e3, peerRun.wall / oursRun.wall,
                    oursRun.peakMB, peerRun.peakMB);
        std::printf("        file sizes: ours %lld bytes, xlwt %lld bytes\n",
                    static_cast<long long>(QFileInfo(QString::fromStdString(ours)).size()),
                    static_cast<long long>(QFileInfo(QString::fromStdString(peer)).size()));
    }
    // Processes of each kind that write nothing, to show what the workbook itself costs.
    const Run idleOurs = Spawn({self, "--child", dir + "/bench_xls_idle.xls", "0", "1"});
    const Run idlePeer =
        Spawn({XLWT_PYTHON3, XLWT_PEER_SCRIPT, dir + "/bench_xls_idle.xls", "0", "1"});
    std::printf("peak MB (max RSS) of a process writing no sheet: ours %.1f, xlwt %.1f\n",
                idleOurs.peakMB, idlePeer.peakMB);
    return 0;
}
