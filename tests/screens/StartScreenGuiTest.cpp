// The start screen with no database server: the creation error, the probe
// against local listeners, the keyboard, the credit line and the menu.
#include "DMod.h"
#include "IniciaRemoto.h"
#include "ScreenControls.h"
#include "ScreenTestSupport.h"

#include <QAction>
#include <QBuffer>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace ScreenTest;

namespace {

// Nothing listens on this loopback address: the data module's connection
// is refused at once, and the probe's listener is the test's own.
const QByteArray kHost = FreeLoopbackHost();

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

class StartScreenNoServer : public ::testing::Test {
protected:
    ScopedEnv host{"QUORVA_DB_HOST", kHost};
    Messages messages;
    ScratchDir dir;
    std::unique_ptr<TDM> dm = std::make_unique<TDM>();
    std::unique_ptr<TFIniciaRemoto> screen = std::make_unique<TFIniciaRemoto>();

    void TearDown() override {
        screen.reset();
        dm.reset();
    }

    QString Status() const { return screen->StaticText1->text(); }
    QColor StatusColor() const {
        return screen->StaticText1->palette().color(QPalette::WindowText);
    }
};

TEST_F(StartScreenNoServer, ReportsBothErrorsAndIsStillCreated) {
    EXPECT_EQ(
        messages.Take(),
        (QStringList{QStringLiteral("msg: Não foi possivel fazer conexão com o Banco de Dados."),
                     QStringLiteral("error: Cannot perform operation -- DB is not open")}));
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("  Acesso Remoto (2015-02)"));
    EXPECT_EQ(screen->Label1->text(), QStringLiteral("LANÇAMENTOS EM TEMPO REAL"));
    EXPECT_TRUE(screen->Label5->text().isEmpty());
    EXPECT_TRUE(Status().isEmpty());
    EXPECT_FALSE(screen->Panel1->isVisibleTo(screen.get()));
    // The rest of the creation was skipped: no configuration file was read.
    EXPECT_EQ(screen->Ini, nullptr);
    // The firm's picture is decoded from the JPEG kept with the program.
    ASSERT_NE(screen->Image1->pixmap().isNull(), true);
    EXPECT_EQ(screen->Image1->pixmap().size(), QSize(190, 180));
    EXPECT_EQ(screen->tcp.Host(), QString::fromLatin1(kHost));
    EXPECT_EQ(screen->tcp.Port(), 3051);
    EXPECT_EQ(screen->Timer1.interval(), 1000);
    EXPECT_FALSE(screen->Timer1.isActive());
    EXPECT_EQ(screen->Encerar1->text(), QStringLiteral("&Encerrar"));
    // Closing it writes nothing: no one logged in.
    screen.reset();
    EXPECT_FALSE(QFile::exists(dir.File(QStringLiteral("torvikrm.ini"))));
    EXPECT_TRUE(messages.Take().isEmpty());
}

// The port answering is not the connection: with no database behind it the
// status line stays red and the login fields hidden, and every tick tries
// again (the probe lets go of the port it reached).
TEST_F(StartScreenNoServer, AnsweringPortWithoutDatabaseStaysRed) {
    messages.Take();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress(QString::fromLatin1(kHost)), 0));
    screen->tcp.SetPort(server.serverPort());
    for (int tick = 0; tick < 2; ++tick) {
        screen->Timer1Timer(&screen->Timer1);
        EXPECT_EQ(Status(), QStringLiteral("Não há conexão com o servidor da QUORVA."));
        EXPECT_EQ(StatusColor(), QColor(255, 0, 0));
        EXPECT_FALSE(screen->Panel1->isVisibleTo(screen.get()));
        EXPECT_FALSE(screen->tcp.Connected());
        EXPECT_TRUE(server.hasPendingConnections() || server.waitForNewConnection(1000));
        delete server.nextPendingConnection();
    }
    EXPECT_TRUE(messages.Take().isEmpty());
}

TEST_F(StartScreenNoServer, ClosedPortShowsRedAndLoginSaysConnectionLost) {
    messages.Take();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress(QString::fromLatin1(kHost)), 0));
    screen->tcp.SetPort(server.serverPort());
    server.close();
    screen->Timer1Timer(&screen->Timer1);
    EXPECT_EQ(Status(), QStringLiteral("Não há conexão com o servidor da QUORVA."));
    EXPECT_EQ(StatusColor(), QColor(255, 0, 0));
    EXPECT_FALSE(screen->Panel1->isVisibleTo(screen.get()));
    screen->Edit1->setText(QStringLiteral("1"));
    screen->BitBtn1Click(screen->BitBtn1);
    EXPECT_EQ(messages.Take(),
              QStringList{QStringLiteral("msg: Conexão com servidor da QUORVA foi perdida.")});
}

TEST_F(StartScreenNoServer, LoginWithoutDatabaseReportsTheErrorAndGoesOn) {
    messages.Take();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress(QString::fromLatin1(kHost)), 0));
    // The probe is up (the tick would not say so without a database).
    screen->tcp.SetPort(server.serverPort());
    ASSERT_TRUE(screen->tcp.Connect());
    screen->Panel1->show();
    screen->Edit1->setText(QStringLiteral("1"));
    screen->Edit2->setText(QStringLiteral("abc123"));
    // The click goes through the same guard as the real button.
    QTest::mouseClick(screen->BitBtn1, Qt::LeftButton);
    const QStringList texts = messages.Take();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("error: "))) << texts[0].toStdString();
    EXPECT_EQ(dm->CondLogado, 0);
}

TEST_F(StartScreenNoServer, EnterMovesTheFocusAndTheMenuCloses) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress(QString::fromLatin1(kHost)), 0));
    screen->tcp.SetPort(server.serverPort());
    screen->show();
    screen->Timer1.stop();
    screen->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
    ASSERT_TRUE(screen->tcp.Connect());
    screen->Panel1->show();
    screen->Edit1->setFocus();
    ASSERT_TRUE(screen->Edit1->hasFocus());
    messages.Take();
    QTest::keyClick(screen->Edit1, Qt::Key_Return);
    EXPECT_TRUE(screen->Edit2->hasFocus());
    // Leaving the number field checked it, which needs the database.
    const QStringList texts = messages.Take();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("error: ")));
    QTest::keyClick(screen->Edit2, Qt::Key_Enter);
    EXPECT_TRUE(screen->BitBtn1->hasFocus());
    // Other keys type as usual.
    screen->Edit1->setFocus();
    QTest::keyClicks(screen->Edit1, QStringLiteral("12"));
    EXPECT_EQ(screen->Edit1->text(), QStringLiteral("12"));
    // The password shows as asterisks.
    EXPECT_EQ(screen->Edit2->echoMode(), QLineEdit::Password);

    screen->Encerar1->trigger();
    EXPECT_FALSE(screen->isVisible());
}

TEST_F(StartScreenNoServer, CreditLineOpensTheDevelopersPage) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
    screen->show();
    QTest::mouseClick(screen->Label4, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl(QString::fromLatin1(IniciaRemoto::CreditUrl)));
    EXPECT_EQ(screen->Label4->cursor().shape(), Qt::PointingHandCursor);
}

TEST(BitmapFromBlob, SkipsThePictureHeaderOnlyWhenItFits) {
    QImage source(2, 2, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(255, 0, 0));
    source.setPixel(1, 0, qRgb(0, 255, 0));
    source.setPixel(0, 1, qRgb(0, 0, 255));
    source.setPixel(1, 1, qRgb(255, 255, 255));
    QByteArray bmp;
    {
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(source.save(&buffer, "BMP"));
    }
    auto header = [](quint16 count, quint16 type, quint32 size) {
        QByteArray h(8, '\0');
        qToLittleEndian(count, h.data());
        qToLittleEndian(type, h.data() + 2);
        qToLittleEndian(size, h.data() + 4);
        return h;
    };
    const QImage plain = BitmapFromBlob(bmp);
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(plain.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(plain.pixel(1, 1), qRgb(255, 255, 255));
    const QImage withHeader = BitmapFromBlob(header(1, 0x0100, quint32(bmp.size())) + bmp);
    ASSERT_FALSE(withHeader.isNull());
    EXPECT_EQ(withHeader.pixel(0, 1), qRgb(0, 0, 255));
    // A header whose size or kind does not match is not skipped, and the
    // blob is then no bitmap at all.
    EXPECT_TRUE(BitmapFromBlob(header(1, 0x0100, quint32(bmp.size() + 1)) + bmp).isNull());
    EXPECT_TRUE(BitmapFromBlob(header(2, 0x0100, quint32(bmp.size())) + bmp).isNull());
    EXPECT_TRUE(BitmapFromBlob(QByteArray()).isNull());
    EXPECT_TRUE(BitmapFromBlob(header(1, 0x0100, 0)).isNull());
    EXPECT_TRUE(BitmapFromBlob(QByteArray("not a picture")).isNull());
}

} // namespace

#include "StartScreenGuiTest.moc"
