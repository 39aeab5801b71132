// The start screen against the private test server: the login paths with
// their messages in order, the remembered condominium and its logo, the
// configuration file, and the selection screen opened through the seam.
#include "DMod.h"
#include "IniciaRemoto.h"
#include "RemotoPesq.h"
#include "ScreenControls.h"
#include "ScreenTestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace ScreenTest;

namespace {

const QString kRejected = QStringLiteral("msg: Login não reconhecido.");
const QString kBadPassword = QStringLiteral("msg: Senha inválida para o Login.");

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class StartScreenDb : public ::testing::Test {
protected:
    Messages messages;
    Brazilian brazil;
    ScratchDir dir;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TFIniciaRemoto> screen;

    void SetUp() override {
        dm = std::make_unique<TDM>();
        ASSERT_TRUE(dm->BDados.Connected()) << "the test server is not running";
    }
    void TearDown() override {
        screen.reset();
        dm.reset();
    }
    void Create() {
        screen = std::make_unique<TFIniciaRemoto>();
        // The probe reaches the real server's port.
        screen->Timer1Timer(&screen->Timer1);
        ASSERT_TRUE(screen->Panel1->isVisibleTo(screen.get()));
    }
    QString IniPath() const { return dir.File(QStringLiteral("torvikrm.ini")); }
    // Types the login and presses "Entrar"; returns the title of the
    // selection screen when it opened, else an empty text.
    QString Login(const QString& number, const QString& password) {
        QString opened;
        ModalDriver driver([&](QDialog& form) {
            opened = form.windowTitle();
            EXPECT_FALSE(screen->isVisible());
            static_cast<TFRemotoPesq&>(form).Encerrar1Click(&form);
        });
        screen->Edit1->setText(number);
        screen->Edit2->setText(password);
        screen->BitBtn1Click(screen->BitBtn1);
        return opened;
    }
};

TEST_F(StartScreenDb, LoginPathsWithTheirMessages) {
    Create();
    struct Case {
        const char* number;
        const char* password;
        const char* title; // of the selection screen, or empty when refused
        const char* message;
        int codBalancete;
    } cases[] = {
        // Not a whole number: condominium 0, which does not exist.
        {"abc", "abc123", "", "msg: Login não reconhecido.", 0},
        {"1 or 1=1", "", "", "msg: Login não reconhecido.", 0},
        {"", "", "", "msg: Login não reconhecido.", 0},
        {"999", "x", "", "msg: Login não reconhecido.", 0},
        {"1", "abc12", "", "msg: Senha inválida para o Login.", 0},
        {"1", "ABC123", "Condomínio Edifício São João", "", 1},
        // Accented letters compare without regard to case; blanks count.
        {"50", "aÇÃO TRÊS", "Condomínio Jardim das Acácias", "", 7},
        {" 50", "ação três", "Condomínio Jardim das Acácias", "", 7},
        {"50", "Ação Três ", "", "msg: Senha inválida para o Login.", 0},
        {"50", " Ação Três", "", "msg: Senha inválida para o Login.", 0},
        {"50", "Acao Tres", "", "msg: Senha inválida para o Login.", 0},
        {"50", "AçãoTrês", "", "msg: Senha inválida para o Login.", 0},
        // A null or empty password accepts only an empty field.
        {"51", "", "Edifício Sem Senha", "", 0},
        {"51", " ", "", "msg: Senha inválida para o Login.", 0},
        {"52", "", "Edifício Senha Vazia", "", 8},
        {"52", "x", "", "msg: Senha inválida para o Login.", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number + std::string(" / ") + c.password);
        dm->CondLogado = -1;
        dm->CodBalancete = -1;
        const QString title = Login(QString::fromUtf8(c.number), QString::fromUtf8(c.password));
        EXPECT_EQ(title, QString::fromUtf8(c.title));
        if (*c.message != '\0') {
            EXPECT_EQ(messages.Take(), QStringList{QString::fromUtf8(c.message)});
            EXPECT_EQ(dm->CondLogado, -1);
            // A refused login leaves the fields as typed.
            EXPECT_EQ(screen->Edit1->text(), QString::fromUtf8(c.number));
        } else {
            EXPECT_EQ(messages.Take(), QStringList());
            EXPECT_EQ(dm->CondLogado, QString::fromUtf8(c.number).trimmed().toInt());
            EXPECT_EQ(dm->CodBalancete, c.codBalancete);
            // Back from the selection screen: empty fields, shown again.
            EXPECT_TRUE(screen->Edit1->text().isEmpty());
            EXPECT_TRUE(screen->Edit2->text().isEmpty());
            EXPECT_TRUE(screen->isVisible());
        }
    }
}

TEST_F(StartScreenDb, LeavingTheNumberFieldChecksIt) {
    Create();
    screen->show();
    screen->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
    screen->Timer1.stop();
    screen->Edit1->setFocus();
    messages.Take();
    QTest::keyClicks(screen->Edit1, QStringLiteral("77"));
    QTest::keyClick(screen->Edit1, Qt::Key_Return);
    EXPECT_EQ(messages.Take(), QStringList{kRejected});
    EXPECT_TRUE(screen->Edit1->hasFocus());
    screen->Edit1->setText(QStringLiteral("50"));
    QTest::keyClick(screen->Edit1, Qt::Key_Return);
    EXPECT_EQ(messages.Take(), QStringList());
    EXPECT_TRUE(screen->Edit2->hasFocus());

    // A wrong password from the keyboard: the focus goes back to it.
    QTest::keyClicks(screen->Edit2, QStringLiteral("errada"));
    QTest::keyClick(screen->Edit2, Qt::Key_Return);
    ASSERT_TRUE(screen->BitBtn1->hasFocus());
    QTest::keyClick(screen->BitBtn1, Qt::Key_Space);
    EXPECT_EQ(messages.Take(), QStringList{kBadPassword});
    EXPECT_TRUE(screen->Edit2->hasFocus());

    // Clicking "Entrar" with a wrong number: leaving the field complains,
    // then the click itself.
    screen->Edit1->setText(QStringLiteral("abc"));
    screen->Edit1->setFocus();
    messages.Take();
    QTest::mouseClick(screen->BitBtn1, Qt::LeftButton);
    const QStringList texts = messages.Take();
    ASSERT_FALSE(texts.isEmpty());
    for (const QString& t : texts) {
        EXPECT_EQ(t, kRejected);
    }
}

TEST_F(StartScreenDb, FirstStartWithoutTheFileThenRemembersTheLogin) {
    Create();
    EXPECT_TRUE(screen->Label5->text().isEmpty());
    EXPECT_FALSE(screen->DBImage1->HasPicture());
    ASSERT_FALSE(Login(QStringLiteral("50"), QStringLiteral("Ação Três")).isEmpty());
    // The name shown stays the one read at creation.
    EXPECT_TRUE(screen->Label5->text().isEmpty());
    EXPECT_FALSE(QFile::exists(IniPath()));
    screen.reset();
    EXPECT_EQ(ReadText(IniPath()), QStringLiteral("[CONFIG]\r\nCond=50\r\n"));
    EXPECT_TRUE(messages.Take().isEmpty());

    // The next start names the condominium and shows its logo, the 8-byte
    // picture header skipped.
    Create();
    EXPECT_EQ(screen->Label5->text(), QStringLiteral("Condomínio Jardim das Acácias"));
    ASSERT_TRUE(screen->DBImage1->HasPicture());
    const QImage logo = screen->DBImage1->Picture();
    EXPECT_EQ(logo.size(), QSize(2, 2));
    EXPECT_EQ(logo.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(logo.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(logo.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_TRUE(Login(QStringLiteral("1"), QStringLiteral("abc123")).size() > 0);
    screen.reset();
    EXPECT_EQ(ReadText(IniPath()), QStringLiteral("[CONFIG]\r\nCond=1\r\n"));
}

TEST_F(StartScreenDb, ReadsTheFileAsWrittenByHandAndKeepsWhatElseItHolds) {
    const QByteArray original = "; configura\xe7\xe3o\r\n[Outros]\r\nx=1\r\n[config]\r\nCOND=51\r\n"
                                "Servidor=C:\\dados\r\n";
    WriteFile(IniPath(), original);
    Create();
    EXPECT_EQ(screen->Label5->text(), QStringLiteral("Edifício Sem Senha"));
    // A bitmap without the picture header is shown from its first byte.
    EXPECT_TRUE(screen->DBImage1->HasPicture());
    // Leaving without a login leaves the file as it was.
    screen.reset();
    QFile f(IniPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), original);
    f.close();

    Create();
    ASSERT_FALSE(Login(QStringLiteral("52"), QString()).isEmpty());
    screen.reset();
    EXPECT_EQ(ReadText(IniPath()), QStringLiteral("; configuração\r\n[Outros]\r\nx=1\r\n"
                                                  "[config]\r\nCOND=52\r\nServidor=C:\\dados\r\n"));
}

TEST_F(StartScreenDb, ValuesThatAreNoNumberCountAsNone) {
    for (const char* value : {"abc", "", "50x", "1.5"}) {
        SCOPED_TRACE(value);
        WriteFile(IniPath(), QByteArray("[CONFIG]\r\nCond=") + value + "\r\n");
        Create();
        EXPECT_TRUE(screen->Label5->text().isEmpty());
        EXPECT_FALSE(screen->DBImage1->HasPicture());
        screen.reset();
    }
    EXPECT_TRUE(messages.Take().isEmpty());
}

TEST_F(StartScreenDb, WritesBackToThePathFixedAtCreation) {
    Create();
    QTemporaryDir elsewhere;
    QDir::setCurrent(elsewhere.path());
    ASSERT_FALSE(Login(QStringLiteral("1"), QStringLiteral("abc123")).isEmpty());
    screen.reset();
    EXPECT_EQ(ReadText(IniPath()), QStringLiteral("[CONFIG]\r\nCond=1\r\n"));
    EXPECT_FALSE(QFile::exists(elsewhere.filePath(QStringLiteral("torvikrm.ini"))));
    QDir::setCurrent(dir.Path());
}

TEST_F(StartScreenDb, ARefusedWriteIsReported) {
    // A directory where the file should be: reading gives nothing, writing
    // fails.
    ASSERT_TRUE(QDir(dir.Path()).mkdir(QStringLiteral("torvikrm.ini")));
    Create();
    ASSERT_FALSE(Login(QStringLiteral("1"), QStringLiteral("abc123")).isEmpty());
    messages.Take();
    screen.reset();
    EXPECT_EQ(messages.Take(),
              QStringList{QStringLiteral("error: Unable to write to ") +
                          QDir(dir.Path()).absoluteFilePath(QStringLiteral("torvikrm.ini"))});
}

TEST_F(StartScreenDb, PasswordsAreCheckedAgainstTheSnapshotTakenAtCreation) {
    // Changed over a connection of its own, as another program would.
    auto setPassword = [](const char* password) {
        TIBDatabase db;
        db.SetDatabaseName(DMod::DatabaseName());
        db.Params() = {QStringLiteral("user_name=sysdba"), QStringLiteral("password=vetrasomi"),
                       QStringLiteral("lc_ctype=WIN1252")};
        db.SetLoginPrompt(false);
        TIBTransaction tr;
        tr.SetDefaultDatabase(&db);
        db.SetConnected(true);
        tr.StartTransaction();
        TIBSQL sql;
        sql.SetDatabase(&db);
        sql.SetTransaction(&tr);
        sql.SetSQL(QStringLiteral("update cond set remoto_senha = '%1' where cond = 53")
                       .arg(QString::fromLatin1(password)));
        sql.ExecQuery();
        tr.Commit();
    };
    setPassword("antiga");
    Create();
    setPassword("nova");
    EXPECT_FALSE(Login(QStringLiteral("53"), QStringLiteral("antiga")).isEmpty());
    EXPECT_TRUE(Login(QStringLiteral("53"), QStringLiteral("nova")).isEmpty());
    EXPECT_EQ(messages.Take(), QStringList{kBadPassword});
    // A restart sees the change.
    screen.reset();
    Create();
    EXPECT_FALSE(Login(QStringLiteral("53"), QStringLiteral("nova")).isEmpty());
    setPassword("antiga");
}

TEST_F(StartScreenDb, DatabaseErrorInAHandlerIsShownAndTheScreenGoesOn) {
    Create();
    messages.Take();
    dm->BDados.SetConnected(false);
    screen->Edit1->setText(QStringLiteral("1"));
    screen->Edit2->setText(QStringLiteral("abc123"));
    QTest::mouseClick(screen->BitBtn1, Qt::LeftButton);
    const QStringList texts = messages.Take();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("error: "))) << texts[0].toStdString();
    EXPECT_EQ(dm->CondLogado, 0);
    // Still there and still probing.
    screen->Timer1Timer(&screen->Timer1);
    EXPECT_TRUE(screen->Panel1->isVisibleTo(screen.get()));
}

} // namespace
