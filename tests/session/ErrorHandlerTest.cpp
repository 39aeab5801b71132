// The general error handler and the message service, without a server.
#include "ErrorHandler.h"
#include "DMod.h"
#include "Exception.h"
#include "FbClient.h"
#include "IBError.h"
#include "MessageRecorder.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A loopback address on which nothing accepts connections to the database
// port (other private servers on this machine may sit on some of them).
QByteArray RefusingHost() {
    for (int last = 201; last < 251; ++last) {
        QByteArray host = "127.0.9." + QByteArray::number(last);
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(3051);
        inet_pton(AF_INET, host.constData(), &addr.sin_addr);
        bool refused = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0;
        ::close(fd);
        if (refused) {
            return host;
        }
    }
    return "127.0.9.250";
}

TEST(Guard, ShowsTheErrorTextAndGoesOn) {
    MessageRecorder rec;
    bool after = false;
    EXPECT_FALSE(Guard([&] {
        throw EIBError(QStringLiteral("Cannot perform operation -- DB is not open"));
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_TRUE(Guard([] {}));
    EXPECT_FALSE(Guard([] { throw std::runtime_error("falhou"); }));
    EXPECT_FALSE(Guard([] { throw EAbort(); })); // silent: no box
    EXPECT_EQ(rec.texts,
              (QStringList{QStringLiteral("error: Cannot perform operation -- DB is not open"),
                           QStringLiteral("error: falhou")}));
}

TEST(Guard, HandlersConnectedToTimersNeverThrowIntoTheEventLoop) {
    MessageRecorder rec;
    int runs = 0;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, Guarded([&] {
        ++runs;
        throw Exception(QStringLiteral("Mês inválido"));
    }));
    timer.start(0);
    for (int i = 0; i < 20 && runs == 0; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(rec.texts, QStringList{QStringLiteral("error: Mês inválido")});
}

TEST(DataModule, HostComesFromTheEnvironmentOrTheBuiltInDefault) {
    {
        ScopedEnv env("QUORVA_DB_HOST", "10.1.2.3");
        EXPECT_EQ(DMod::DatabaseName(),
                  QStringLiteral("10.1.2.3/3051:C:\\servidor\\KESTRO\\Dados\\Cond.FDB"));
    }
    ScopedEnv env("QUORVA_DB_HOST", "");
    EXPECT_EQ(DMod::DatabaseHost(), QStringLiteral("127.0.0.1"));
}

TEST(DataModule, MissingClientLibraryFailsTheCreationWithItsText) {
    MessageRecorder rec;
    const std::string saved = FbClient::LibraryName();
    FbClient::SetLibraryName("libfbclient-ausente.so.2");
    try {
        TDM dm;
        ADD_FAILURE() << "created without the library";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("InterBase library gds32.dll not found in the path. "
                                 "Please install InterBase to use this functionality"));
    }
    FbClient::SetLibraryName(saved);
    EXPECT_TRUE(rec.texts.isEmpty());
    EXPECT_EQ(DM, nullptr);
}

TEST(DataModule, ServerDownGivesOneMessageAndGoesOnUnconnected) {
    // Nothing listens there: the connection is refused.
    ScopedEnv env("QUORVA_DB_HOST", RefusingHost());
    MessageRecorder rec;
    {
        TDM dm;
        EXPECT_EQ(DM, &dm);
        EXPECT_EQ(rec.texts, QStringList{QStringLiteral(
                                 "msg: Não foi possivel fazer conexão com o Banco de Dados.")});
        EXPECT_FALSE(dm.BDados.Connected());
        EXPECT_FALSE(dm.Transas.Active());
        // Every later database step fails with the closed-database text.
        TIBTransaction t;
        t.SetDefaultDatabase(&dm.BDados);
        EXPECT_FALSE(Guard([&] { t.SetActive(true); }));
        EXPECT_EQ(rec.texts.last(),
                  QStringLiteral("error: Cannot perform operation -- DB is not open"));
    }
    EXPECT_EQ(rec.texts.size(), 2);
    EXPECT_EQ(DM, nullptr);
}

} // namespace
