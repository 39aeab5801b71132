// Report generation speed and memory. A banded report of about 1,000 A4
// pages (page header with page number and date, column header, two nested
// groups with headers and totals, five-column details, a "page n of N"
// footer) is generated from an in-memory dataset into the page storage; in
// the same run ReportLab's platypus lays out the same rows in the same
// layout (bench/reportlab_banded.py). Then peak memory is measured in child
// processes generating 100 and 10,000 pages from computed rows, which
// take no memory of their own: the page storage spools, so it must be flat,
// and so must the time per page (scale).
//
//   bench_generation                 the whole comparison
//   bench_generation --scale         the scale part only
//   bench_generation --pages N       one child run: prints "pages kB seconds"
#include "MemTestDataSet.h"

#include "DateTime.h"
#include "RLReport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using Kind = TMemTestDataSet::Kind;

constexpr int RowsPerAccount = 20;
constexpr int AccountsPerCond = 10;
constexpr int RowsPerPage = 50; // about what the layout holds

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

// The values of row i, the same as reportlab_banded.py makes.
struct Row {
    QString Cond, Account, Date, Hist, Doc;
    qint64 Real = 0, Comp = 0; // hundredths, as the peer counts them
};

Row MakeRow(int i) {
    const int account = i / RowsPerAccount;
    const int cond = account / AccountsPerCond;
    Row r;
    r.Cond = QStringLiteral("Condominio %1").arg(cond + 1);
    r.Account = QStringLiteral("%1.%2 Conta %3")
                    .arg(1 + account % 3)
                    .arg(account % 100, 2, 10, QLatin1Char('0'))
                    .arg(account);
    r.Date = QStringLiteral("%1/%2/2015")
                 .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                 .arg(1 + i % 12, 2, 10, QLatin1Char('0'));
    r.Hist = QStringLiteral("Lancamento %1 do historico da conta").arg(i);
    r.Doc = QStringLiteral("DOC-%1").arg(i, 6, 10, QLatin1Char('0'));
    r.Real = (qint64(i) * 7919) % 1000000;
    r.Comp = (qint64(i) * 104729) % 500000;
    return r;
}

const std::vector<TMemTestDataSet::Column> Columns = {
    {QStringLiteral("COND"), Kind::Text, {}},
    {QStringLiteral("CONTA"), Kind::Text, {}},
    {QStringLiteral("DATA"), Kind::Text, {}},
    {QStringLiteral("HIST"), Kind::Text, {}},
    {QStringLiteral("DOC"), Kind::Text, {}},
    {QStringLiteral("REAL"), Kind::Currency, QStringLiteral("#,##0.00")},
    {QStringLiteral("COMP"), Kind::Currency, QStringLiteral("#,##0.00")},
};

// Rows computed from the cursor position: no memory per row.
class ComputedDataSet : public TDataSet {
public:
    explicit ComputedDataSet(int rows) : rows_(rows) {
        for (std::size_t i = 0; i < Columns.size(); ++i) {
            fields_.push_back(std::make_unique<Field>(this, int(i)));
        }
    }
    bool Active() const override { return true; }
    void First() override { Move(0); }
    void Next() override {
        if (at_ + 1 < rows_) {
            Move(at_ + 1);
        } else {
            eof_ = true;
        }
    }
    bool Eof() const override { return eof_; }
    int RecordCount() const override { return rows_; }
    TField* FindField(const QString& name) const override {
        for (std::size_t i = 0; i < Columns.size(); ++i) {
            if (Columns[i].Name.compare(name, Qt::CaseInsensitive) == 0) {
                return fields_[i].get();
            }
        }
        return nullptr;
    }

private:
    void Move(int at) {
        at_ = at;
        eof_ = rows_ == 0;
        row_ = MakeRow(at);
    }
    class Field : public TField {
    public:
        Field(const ComputedDataSet* owner, int column) : owner_(owner), column_(column) {}
        QString FieldName() const override { return Columns[std::size_t(column_)].Name; }
        bool IsNull() const override { return false; }
        QString AsString() const override { return Text(QString()); }
        QString DisplayText() const override {
            return Text(Columns[std::size_t(column_)].DisplayFormat);
        }
        std::int32_t AsInteger() const override { return 0; }
        std::int64_t AsCurrency() const override { return Amount(); }
        double AsDateTime() const override { return 0; }
        double AsFloat() const override { return double(Amount()) / 10000; }

    private:
        qint64 Amount() const {
            return (column_ == 5 ? owner_->row_.Real : owner_->row_.Comp) * 100;
        }
        QString Text(const QString& format) const {
            const Row& r = owner_->row_;
            switch (column_) {
            case 0:
                return r.Cond;
            case 1:
                return r.Account;
            case 2:
                return r.Date;
            case 3:
                return r.Hist;
            case 4:
                return r.Doc;
            default:
                return DecimalFieldText(format, Amount());
            }
        }
        const ComputedDataSet* owner_;
        int column_;
    };
    int rows_;
    int at_ = 0;
    bool eof_ = true;
    Row row_;
    std::vector<std::unique_ptr<Field>> fields_;
};

void FillMemDataSet(TMemTestDataSet& data, int rows) {
    data.Reserve(std::size_t(rows));
    for (int i = 0; i < rows; ++i) {
        const Row r = MakeRow(i);
        data.AddRow({r.Cond, r.Account, r.Date, r.Hist, r.Doc, r.Real * 100, r.Comp * 100});
    }
}

TRLFont Font(int size, std::uint8_t style = 0) {
    TRLFont f;
    f.Size = size;
    f.Style = style;
    return f;
}

TRLBand* Band(TRLCustomControl* parent, TRLBandType type, int height) {
    auto* band = new TRLBand(parent);
    band->SetBandType(type);
    band->SetHeight(height);
    band->SetTop(1000 + int(parent->Controls().size()));
    return band;
}

TRLLabel* Label(TRLCustomControl* band, const QString& caption, int left, int width = 0,
                TRLTextAlignment alignment = taLeftJustify) {
    auto* label = new TRLLabel(band);
    label->SetCaption(caption);
    label->SetBounds(left, 1, width ? width : 65, 15);
    if (width) {
        label->SetAutoSize(false);
    }
    label->SetAlignment(alignment);
    return label;
}

TRLDBText* Text(TRLCustomControl* band, TDataSet* data, const QString& field, int left, int width,
                TRLTextAlignment alignment = taLeftJustify) {
    auto* text = new TRLDBText(band);
    text->SetDataSource(data);
    text->SetDataField(field);
    text->SetAutoSize(false);
    text->SetBounds(left, 0, width, 16);
    text->SetAlignment(alignment);
    return text;
}

// The balance-like report form, with the totals its handlers keep.
class BenchReport {
public:
    explicit BenchReport(TDataSet* data) : data_(data) {
        report.SetShowProgress(false);
        report.BeginLoad();
        report.SetDataSource(data);
        TRLBand* header = Band(&report, btHeader, 30);
        Label(header, QStringLiteral("Balancete Detalhado por Conta"), 0)
            ->SetFont(Font(12, fsBold));
        auto* page = new TRLSystemInfo(header);
        page->SetInfo(itPageNumber);
        page->SetText(QStringLiteral("P\u00e1g.:"));
        page->SetAlignment(taRightJustify);
        page->SetBounds(600, 0, 118, 15);
        auto* date = new TRLSystemInfo(header);
        date->SetInfo(itFullDate);
        date->SetText(QStringLiteral("Emitido em:"));
        date->SetFont(Font(8));
        date->SetBounds(0, 17, 300, 12);
        TRLBand* columns = Band(&report, btColumnHeader, 18);
        columns->SetColor(clSilver);
        columns->SetTransparent(false);
        int x = 0;
        for (auto [title, w] : {std::pair{"Data", 80},
                                {"Hist\u00f3rico", 320},
                                {"Documento", 100},
                                {"Realizado", 109},
                                {"Comprometido", 109}}) {
            Label(columns, QString::fromUtf8(title), x, w);
            x += w;
        }

        auto* cond = new TRLGroup(&report);
        cond->SetDataFields(QStringLiteral("COND"));
        cond->SetTop(1500);
        Text(Band(cond, btHeader, 20), data, QStringLiteral("COND"), 0, 400)
            ->SetFont(Font(10, fsBold));
        auto* account = new TRLGroup(cond);
        account->SetDataFields(QStringLiteral("COND;CONTA"));
        account->SetTop(1500);
        Text(Band(account, btHeader, 18), data, QStringLiteral("CONTA"), 10, 400);
        TRLBand* detail = Band(account, btDetail, 16);
        Text(detail, data, QStringLiteral("DATA"), 0, 80);
        Text(detail, data, QStringLiteral("HIST"), 80, 320);
        Text(detail, data, QStringLiteral("DOC"), 400, 100);
        Text(detail, data, QStringLiteral("REAL"), 500, 109, taRightJustify);
        Text(detail, data, QStringLiteral("COMP"), 609, 109, taRightJustify);
        TRLBand* accountTotal = Band(account, btSummary, 18);
        Label(accountTotal, QStringLiteral("Total da conta"), 80);
        auto* accountReal = Label(accountTotal, QString(), 500, 109, taRightJustify);
        auto* accountComp = Label(accountTotal, QString(), 609, 109, taRightJustify);
        TRLBand* condTotal = Band(cond, btSummary, 20);
        Label(condTotal, QStringLiteral("Total do condom\u00ednio"), 80)->SetFont(Font(10, fsBold));
        auto* condReal = Label(condTotal, QString(), 500, 109, taRightJustify);
        auto* condComp = Label(condTotal, QString(), 609, 109, taRightJustify);

        TRLBand* footer = Band(&report, btFooter, 16);
        auto* pages = new TRLSystemInfo(footer);
        pages->SetInfo(itPagePreview);
        pages->SetText(QStringLiteral("P\u00e1gina # de #"));
        pages->SetAlignment(taCenter);
        pages->SetFont(Font(8));
        pages->SetBounds(300, 2, 118, 12);
        report.EndLoad();

        TField* real = data->FindField(QStringLiteral("REAL"));
        TField* comp = data->FindField(QStringLiteral("COMP"));
        auto money = [](qint64 v) { return DecimalFieldText(QStringLiteral("#,##0.00"), v); };
        detail->AfterPrint = [=, this](TRLCustomControl*) {
            totals_[0] += real->AsCurrency();
            totals_[1] += comp->AsCurrency();
            totals_[2] += real->AsCurrency();
            totals_[3] += comp->AsCurrency();
        };
        accountTotal->BeforePrint = [=, this](TRLCustomControl*, bool&) {
            accountReal->SetCaption(money(totals_[0]));
            accountComp->SetCaption(money(totals_[1]));
            totals_[0] = totals_[1] = 0;
        };
        condTotal->BeforePrint = [=, this](TRLCustomControl*, bool&) {
            condReal->SetCaption(money(totals_[2]));
            condComp->SetCaption(money(totals_[3]));
            totals_[2] = totals_[3] = 0;
        };
    }
    TRLReport report;

private:
    TDataSet* data_;
    qint64 totals_[4] = {0, 0, 0, 0};
};

// A child run: prints pages, peak memory in kB and seconds.
int ChildRun(int pages) {
    ComputedDataSet data(pages * RowsPerPage);
    BenchReport form(&data);
    const auto start = Clock::now();
    if (!form.report.Prepare()) {
        return 1;
    }
    std::printf("%d %ld %.3f\n", form.report.Pages()->PageCount(), PeakRssKb(), Seconds(start));
    return 0;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Per-page time and peak memory of child processes generating 100 and
// 10,000 pages.
void Scale() {
    std::printf("scale: generation from computed rows at 100 and 10,000 pages (child processes, "
                "medians of 5 and 3 runs; load %s)\n",
                LoadAverage().c_str());
    double perPage[2] = {0, 0};
    int at = 0;
    for (auto [n, runs] : {std::pair{100, 5}, {10000, 3}}) {
        std::vector<double> times;
        QList<QByteArray> out;
        for (int run = 0; run < runs; ++run) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--pages", QString::number(n)});
            child.waitForFinished(-1);
            out = child.readAllStandardOutput().trimmed().split(' ');
            times.push_back(out.value(2).toDouble());
        }
        const int made = out.value(0).toInt();
        const double seconds = Median(times);
        perPage[at++] = made > 0 ? seconds / made : 0;
        std::printf("  %6d pages requested: %6d pages, %7.3f s, %6.3f ms per page, peak %7s kB\n",
                    n, made, seconds, 1000 * perPage[at - 1], out.value(1).constData());
    }
    std::printf("  per-page time at 10,000 against 100 pages: ratio %.2f (target <= 1.1)\n",
                perPage[0] > 0 ? perPage[1] / perPage[0] : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    QGuiApplication app(argc, argv);
    DateTime::SetClock([] { return DateTime::EncodeDate(2015, 2, 14) + 0.375; });
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--pages")) {
        return ChildRun(args.at(2).toInt());
    }
    if (args.size() == 2 && args.at(1) == QLatin1String("--scale")) {
        Scale();
        return 0;
    }

    const int rows = 1000 * RowsPerPage;
    TMemTestDataSet data(Columns);
    FillMemDataSet(data, rows);
    BenchReport form(&data);
    std::vector<double> ours;
    int pages = 0;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        if (!form.report.Prepare()) {
            std::fprintf(stderr, "generation failed\n");
            return 1;
        }
        ours.push_back(Seconds(start));
        pages = form.report.Pages()->PageCount();
    }

    const QString script =
        QFileInfo(QStringLiteral(QUORVA_BENCH_DIR "/reportlab_banded.py")).absoluteFilePath();
    QTemporaryDir dir;
    std::vector<double> peer;
    int peerPages = 0;
    for (int run = 0; run < 3; ++run) {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {script, QString::number(rows), QString::number(RowsPerAccount),
                      QString::number(AccountsPerCond), dir.filePath(QStringLiteral("peer.pdf"))});
        if (!python.waitForFinished(600000) || python.exitCode() != 0) {
            std::fprintf(stderr, "reportlab run failed: %s\n",
                         python.readAllStandardError().constData());
            return 1;
        }
        const QList<QByteArray> out = python.readAllStandardOutput().trimmed().split(' ');
        peer.push_back(out.value(0).toDouble());
        peerPages = out.value(1).toInt();
    }
    const double a = Median(ours);
    const double b = Median(peer);
    std::printf("banded report, %d rows, two nested groups (medians of 3 runs)\n", rows);
    std::printf("  quorva generation into the page storage: %8.3f s  %5d pages\n", a, pages);
    std::printf("  reportlab platypus (same rows, layout):  %8.3f s  %5d pages\n", b, peerPages);
    std::printf("  ratio: %.1fx faster (target >= 10x)\n", b / a);
    std::printf("  peak memory of this process: %ld kB\n", PeakRssKb());

    Scale();
    return 0;
}
