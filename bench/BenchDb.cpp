// Fetching 100,000 rows of the balance report's shape: TIBQuery against Qt's
// own Firebird driver (QIBASE, QSqlQuery forward only) over the same select,
// on a private server instance of its own (127.0.0.1:3053).
//
//   build/bench/bench_db [rows]
//
// Prints the best of three runs for each side, the ratio (Qt time / ours:
// 1.0 or more means we are at least as fast) and how the resident memory
// grew while the rows were held.
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int kPort = 3053;
const char* const kPath = "C:\\servidor\\KESTRO\\Dados\\Cond.FDB";

bool Fbctl(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVA_FB_ROOT"),
               QStringLiteral(QUORVA_BINARY_DIR "/firebird-bench"));
    env.insert(QStringLiteral("QUORVA_FB_PORT"), QString::number(kPort));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("bash"),
            QStringList{QStringLiteral(QUORVA_SOURCE_DIR "/server/fbctl.sh")} + args);
    return p.waitForFinished(300000) && p.exitCode() == 0;
}

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A selectable procedure with the columns of sp_lanc_por_conta_remoto that
// makes up n rows on the server, so both clients fetch the same stream.
const char* const kProcedure = R"(
create or alter procedure BENCH_LANC (n integer)
returns (
  mes timestamp, cond integer, conta integer, subconta varchar(20),
  data timestamp, r_d char(1), recdesp char(1), cota integer,
  complem varchar(15), grupo varchar(10), mesrefrec timestamp,
  mesrefcota timestamp, lanc integer, numrec integer,
  val_rec decimal(18,2), val_cota decimal(18,2), val_lanc decimal(18,2),
  trab varchar(100), estrutu integer, tipreg char(1))
as
declare variable i integer = 0;
begin
  while (i < n) do
  begin
    mes = dateadd(mod(i, 24) month to timestamp '2013-01-01');
    cond = 101 + mod(i, 5); conta = cond * 10 + 1;
    subconta = iif(mod(i, 3) = 0, '1.01.01.01', '2.03.01.02');
    data = dateadd(mod(i, 28) day to mes);
    r_d = iif(mod(i, 3) = 0, 'R', 'D'); recdesp = r_d;
    cota = mod(i, 400); complem = 'Apto ' || mod(i, 400); grupo = 'Bloco A';
    mesrefrec = mes; mesrefcota = mes; lanc = i; numrec = i + 100000;
    val_rec = 0; val_cota = mod(i, 1000) + 0.25; val_lanc = mod(i, 5000) + 0.75;
    trab = 'COBRANÇA BANCÁRIA ' || mod(i, 7); estrutu = 1; tipreg = 'R';
    i = i + 1;
    suspend;
  end
end)";

QString Select(int rows) {
    return QStringLiteral(
               "SELECT substring(subconta from 1 for 1) as grau1,  substring(subconta from 1 for "
               "4) as grau2,  "
               "substring(subconta from 1 for 7) as grau3,  substring(subconta from 1 for 10) as "
               "grau4,  "
               "character_length(subconta) as tamanho,  bench_lanc.* FROM  bench_lanc(%1)")
        .arg(rows);
}

struct Run {
    double seconds = 0;
    long growthKiB = 0;
    double checksum = 0;
};

Run Ours(TIBDatabase& db, TIBTransaction& tr, int rows) {
    Run r;
    long before = ResidentKiB();
    auto start = std::chrono::steady_clock::now();
    TIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(Select(rows));
    q.Open();
    std::vector<TIBField*> fields;
    for (int i = 0; i < q.FieldCount(); ++i) {
        fields.push_back(&q.Fields(i));
    }
    std::size_t textLength = 0;
    for (; !q.Eof(); q.Next()) {
        for (TIBField* f : fields) {
            switch (f->DataKind()) {
            case TIBField::Kind::BCD:
                r.checksum += static_cast<double>(f->AsCurrency());
                break;
            case TIBField::Kind::DateTime:
                r.checksum += f->AsDateTime();
                break;
            case TIBField::Kind::Integer:
            case TIBField::Kind::Smallint:
            case TIBField::Kind::Largeint:
                r.checksum += f->AsLargeInt();
                break;
            default:
                textLength += static_cast<std::size_t>(f->AsString().size());
            }
        }
    }
    r.growthKiB = ResidentKiB() - before;
    r.seconds = Seconds(start);
    r.checksum += static_cast<double>(textLength);
    if (q.RecordCount() != rows) {
        std::fprintf(stderr, "bench_db: TIBQuery gave %d rows\n", q.RecordCount());
    }
    return r;
}

Run Peer(QSqlDatabase& db, int rows) {
    Run r;
    long before = ResidentKiB();
    auto start = std::chrono::steady_clock::now();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(Select(rows))) {
        std::fprintf(stderr, "bench_db: QIBASE: %s\n", qPrintable(q.lastError().text()));
        return r;
    }
    std::size_t textLength = 0;
    int count = 0;
    long peak = 0;
    while (q.next()) {
        ++count;
        for (int i = 0; i < 25; ++i) {
            QVariant v = q.value(i);
            switch (v.typeId()) {
            case QMetaType::Double:
            case QMetaType::LongLong:
            case QMetaType::Int:
                r.checksum += v.toDouble();
                break;
            case QMetaType::QDateTime:
                r.checksum += static_cast<double>(v.toDateTime().toMSecsSinceEpoch()) / 86400000.0;
                break;
            default:
                textLength += static_cast<std::size_t>(v.toString().size());
            }
        }
        if (count % 10000 == 0) {
            peak = std::max(peak, ResidentKiB() - before);
        }
    }
    r.growthKiB = std::max(peak, ResidentKiB() - before);
    r.seconds = Seconds(start);
    r.checksum += static_cast<double>(textLength);
    if (count != rows) {
        std::fprintf(stderr, "bench_db: QIBASE gave %d rows\n", count);
    }
    return r;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (!Fbctl({QStringLiteral("start"), QStringLiteral("--fixtures")})) {
        std::fprintf(stderr, "bench_db: could not start the server\n");
        return 1;
    }
    int rc = 0;
    {
        TIBDatabase db;
        db.SetDatabaseName(
            QStringLiteral("127.0.0.1/%1:%2").arg(kPort).arg(QString::fromLatin1(kPath)));
        db.Params() = {QStringLiteral("user_name=sysdba"), QStringLiteral("password=vetrasomi"),
                       QStringLiteral("lc_ctype=WIN1252")};
        db.SetLoginPrompt(false);
        TIBTransaction tr;
        tr.SetDefaultDatabase(&db);
        tr.Params() = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                       QStringLiteral("nowait")};
        db.SetConnected(true);
        tr.StartTransaction();
        TIBSQL ddl;
        ddl.SetDatabase(&db);
        ddl.SetTransaction(&tr);
        ddl.SetParamCheck(false);
        ddl.SetSQL(QString::fromUtf8(kProcedure));
        ddl.ExecQuery();
        tr.Commit();
        tr.StartTransaction();

        QSqlDatabase peer =
            QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), QStringLiteral("bench"));
        peer.setHostName(QStringLiteral("127.0.0.1"));
        peer.setPort(kPort);
        peer.setDatabaseName(QString::fromLatin1(kPath));
        peer.setUserName(QStringLiteral("sysdba"));
        peer.setPassword(QStringLiteral("vetrasomi"));
        peer.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=WIN1252"));
        if (!peer.open()) {
            std::fprintf(stderr, "bench_db: QIBASE cannot connect: %s\n",
                         qPrintable(peer.lastError().text()));
            rc = 1;
        } else {
            Run best[2];
            best[0].seconds = best[1].seconds = 1e9;
            for (int round = 0; round < 3; ++round) {
                Run a = Ours(db, tr, rows);
                Run b = Peer(peer, rows);
                if (a.seconds < best[0].seconds) {
                    best[0] = a;
                }
                if (b.seconds < best[1].seconds) {
                    best[1] = b;
                }
                std::printf("round %d: TIBQuery %.3f s, QIBASE %.3f s\n", round + 1, a.seconds,
                            b.seconds);
            }
            const int chunks = (rows + TIBQuery::BufferChunks - 1) / TIBQuery::BufferChunks;
            std::printf("rows: %d (25 columns, every value read)\n", rows);
            std::printf("TIBQuery: %.3f s, %.0f rows/s, memory +%ld KiB while holding all rows in "
                        "%d chunks of %d\n",
                        best[0].seconds, rows / best[0].seconds, best[0].growthKiB, chunks,
                        TIBQuery::BufferChunks);
            std::printf(
                "QIBASE forward only: %.3f s, %.0f rows/s, memory +%ld KiB (keeps no rows)\n",
                best[1].seconds, rows / best[1].seconds, best[1].growthKiB);
            std::printf("ratio (QIBASE time / TIBQuery time): %.2f\n",
                        best[1].seconds / best[0].seconds);
            peer.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    Fbctl({QStringLiteral("stop")});
    return rc;
}
