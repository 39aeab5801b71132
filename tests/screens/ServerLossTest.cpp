// A server that goes away while the start screen is open. It runs its own
// throwaway instance on another loopback address, so the shared test server
// is never disturbed.
#include "DMod.h"
#include "IniciaRemoto.h"
#include "ScreenTestSupport.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

using namespace ScreenTest;

namespace {

// Searched from the top, away from the addresses the other screen tests
// take for "no server here".
const QByteArray kHost = FreeLoopbackHost(250, -1);
const QString kRoot = QStringLiteral(QUORVA_BINARY_DIR "/firebird-screens-loss");

bool Fbctl(const QString& command, const QString& option = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVA_FB_ROOT"), kRoot);
    env.insert(QStringLiteral("QUORVA_DB_HOST"), QString::fromLatin1(kHost));
    env.remove(QStringLiteral("QUORVA_FB_PORT"));
    p.setProcessEnvironment(env);
    QStringList args{QStringLiteral(QUORVA_SOURCE_DIR "/server/fbctl.sh"), command};
    if (!option.isEmpty()) {
        args << option;
    }
    p.start(QStringLiteral("bash"), args);
    return p.waitForFinished(180000) && p.exitCode() == 0;
}

void KillServer() {
    QFile f(kRoot + QStringLiteral("/firebird.pid"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t pid = static_cast<pid_t>(f.readAll().trimmed().toInt());
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    for (int i = 0; i < 300 && kill(pid, 0) == 0; ++i) {
        QThread::msleep(10);
    }
}

TEST(ServerLoss, StartScreenNoticesAndReportsWithoutStopping) {
    ASSERT_TRUE(Fbctl(QStringLiteral("start"), QStringLiteral("--fixtures")));
    {
        ScopedEnv host("QUORVA_DB_HOST", kHost);
        Messages messages;
        ScratchDir dir;
        TDM dm;
        ASSERT_TRUE(dm.BDados.Connected());
        TFIniciaRemoto screen;
        screen.Timer1Timer(&screen.Timer1);
        ASSERT_TRUE(screen.Panel1->isVisibleTo(&screen));
        EXPECT_EQ(messages.Take(), QStringList());

        KillServer();
        // The next tick finds the probe connection dropped and nobody
        // listening.
        screen.Timer1Timer(&screen.Timer1);
        EXPECT_EQ(screen.StaticText1->text(),
                  QStringLiteral("Não há conexão com o servidor da QUORVA."));
        EXPECT_FALSE(screen.Panel1->isVisibleTo(&screen));
        screen.Edit1->setText(QStringLiteral("1"));
        screen.Edit2->setText(QStringLiteral("abc123"));
        screen.BitBtn1Click(&screen);
        EXPECT_EQ(messages.Take(),
                  QStringList{QStringLiteral("msg: Conexão com servidor da QUORVA foi perdida.")});

        // The server comes back: the probe reconnects, but the program's
        // database connection is not made again, so statements still fail
        // with the connection's error, reported and survived.
        ASSERT_TRUE(Fbctl(QStringLiteral("start")));
        screen.Timer1Timer(&screen.Timer1);
        EXPECT_EQ(screen.StaticText1->text(),
                  QStringLiteral("Conexão estabelecida com o servidor da QUORVA."));
        EXPECT_TRUE(screen.Panel1->isVisibleTo(&screen));
        for (int i = 0; i < 2; ++i) {
            screen.BitBtn1->click();
            const QStringList texts = messages.Take();
            ASSERT_EQ(texts.size(), 1);
            EXPECT_TRUE(texts[0].startsWith(QStringLiteral("error: "))) << texts[0].toStdString();
            EXPECT_FALSE(texts[0].contains(QStringLiteral("Login")));
        }
        EXPECT_EQ(dm.CondLogado, 0);
    }
    EXPECT_TRUE(Fbctl(QStringLiteral("stop")));
}

} // namespace
