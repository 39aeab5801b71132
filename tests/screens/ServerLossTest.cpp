// A server that goes away while the start screen is open. It runs its own
// throwaway instance on another loopback address, so the shared test server
// is never disturbed.
#include "DMod.h"
#include "ErrorHandler.h"
#include "IniciaRemoto.h"
#include "ScreenTestSupport.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
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

const QString kUp = QStringLiteral("Conexão estabelecida com o servidor da QUORVA.");
const QString kDown = QStringLiteral("Não há conexão com o servidor da QUORVA.");

QColor StatusColor(const TFIniciaRemoto& screen) {
    return screen.StaticText1->palette().color(QPalette::WindowText);
}

// The title of the selection screen when the login opened it, else empty.
QString Login(TFIniciaRemoto& screen) {
    QString opened;
    ModalDriver driver([&](QDialog& form) {
        opened = form.windowTitle();
        form.close();
    });
    screen.Edit1->setText(QStringLiteral("1"));
    screen.Edit2->setText(QStringLiteral("abc123"));
    screen.BitBtn1->click();
    return opened;
}

bool SaysConnectionLost(const QString& text) {
    return text.startsWith(QStringLiteral("error: Error reading data from the connection")) ||
           text.startsWith(QStringLiteral("error: Error writing data to the connection"));
}

// The server goes away and comes back while the start screen is open: the
// status line follows the program's database connection, which is made
// again, and the next login works without a restart of the program.
TEST(ServerLoss, StartScreenSurvivesARestartOfTheServer) {
    ASSERT_TRUE(Fbctl(QStringLiteral("start"), QStringLiteral("--fixtures")));
    {
        ScopedEnv host("QUORVA_DB_HOST", kHost);
        Messages messages;
        ScratchDir dir;
        auto dm = std::make_unique<TDM>();
        ASSERT_TRUE(dm->BDados.Connected());
        auto screen = std::make_unique<TFIniciaRemoto>();
        screen->Timer1Timer(&screen->Timer1);
        ASSERT_TRUE(screen->Panel1->isVisibleTo(screen.get()));
        EXPECT_EQ(messages.Take(), QStringList());

        KillServer();
        // The next tick finds the probe connection dropped and nobody
        // listening.
        screen->Timer1Timer(&screen->Timer1);
        EXPECT_EQ(screen->StaticText1->text(), kDown);
        EXPECT_EQ(StatusColor(*screen), QColor(255, 0, 0));
        EXPECT_FALSE(screen->Panel1->isVisibleTo(screen.get()));
        EXPECT_EQ(Login(*screen), QString());
        EXPECT_EQ(messages.Take(),
                  QStringList{QStringLiteral("msg: Conexão com servidor da QUORVA foi perdida.")});
        // A statement that finds the connection lost while the server is
        // still away says so once.
        screen->Edit1->setText(QStringLiteral("1"));
        Guard([&] { screen->Edit1Exit(screen->Edit1); });
        const QStringList once = messages.Take();
        ASSERT_EQ(once.size(), 1);
        EXPECT_TRUE(SaysConnectionLost(once[0])) << once[0].toStdString();

        // Back again: the tick makes the connection again before it says
        // so, and the login opens the selection screen.
        ASSERT_TRUE(Fbctl(QStringLiteral("start")));
        screen->Timer1Timer(&screen->Timer1);
        EXPECT_EQ(screen->StaticText1->text(), kUp);
        EXPECT_EQ(StatusColor(*screen), QColor(0, 0, 128));
        EXPECT_FALSE(dm->BDados.LostReason().has_value());
        EXPECT_EQ(Login(*screen), QStringLiteral("Condomínio Edifício São João"));
        EXPECT_EQ(messages.Take(), QStringList());
        EXPECT_EQ(dm->CondLogado, 1);

        // A restart between two ticks: the first statement attaches again
        // and runs (the login itself first asks the probe, which then has
        // to come back).
        KillServer();
        ASSERT_TRUE(Fbctl(QStringLiteral("start")));
        screen->Edit1->setText(QStringLiteral("1"));
        EXPECT_TRUE(Guard([&] { screen->Edit1Exit(screen->Edit1); }));
        EXPECT_EQ(messages.Take(), QStringList());
        EXPECT_FALSE(dm->BDados.LostReason().has_value());

        // Closing the program with the server gone: no box without a window.
        KillServer();
        screen.reset();
        dm.reset();
        EXPECT_EQ(messages.Take(), QStringList());
    }
    EXPECT_TRUE(Fbctl(QStringLiteral("stop")));
}

// The port answers but the database cannot be used (here: the program
// started while the server was down, and the server is still down): the
// status line does not claim a connection, and a server that comes up later
// is connected to at the next tick.
TEST(ServerLoss, StatusLineClaimsOnlyAWorkingConnection) {
    EXPECT_TRUE(Fbctl(QStringLiteral("stop")));
    ScopedEnv host("QUORVA_DB_HOST", kHost);
    Messages messages;
    ScratchDir dir;
    TDM dm;
    ASSERT_FALSE(dm.BDados.Connected());
    TFIniciaRemoto screen;
    messages.Take();
    QTcpServer port;
    ASSERT_TRUE(port.listen(QHostAddress(QString::fromLatin1(kHost)), 0));
    screen.tcp.SetPort(port.serverPort());
    screen.Timer1Timer(&screen.Timer1);
    EXPECT_EQ(screen.StaticText1->text(), kDown);
    EXPECT_FALSE(screen.Panel1->isVisibleTo(&screen));
    EXPECT_EQ(messages.Take(), QStringList());

    ASSERT_TRUE(Fbctl(QStringLiteral("start"), QStringLiteral("--fixtures")));
    screen.show();
    screen.Timer1.stop();
    screen.activateWindow();
    const bool active = QTest::qWaitForWindowActive(&screen);
    screen.Timer1Timer(&screen.Timer1);
    EXPECT_EQ(screen.StaticText1->text(), kUp);
    EXPECT_TRUE(screen.Edit1->hasFocus() || !active);
    EXPECT_TRUE(screen.Panel1->isVisibleTo(&screen));
    EXPECT_TRUE(dm.BDados.Connected());
    EXPECT_TRUE(dm.Transas.Active());
    // The creation's reading, skipped at start, is done now.
    EXPECT_TRUE(screen.Transa.Active());
    EXPECT_NE(screen.Ini, nullptr);
    EXPECT_EQ(Login(screen), QStringLiteral("Condomínio Edifício São João"));
    EXPECT_EQ(messages.Take(), QStringList());
    port.close();
    EXPECT_TRUE(Fbctl(QStringLiteral("stop")));
}

} // namespace
