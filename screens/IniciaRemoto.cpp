#include "IniciaRemoto.h"

#include "DMod.h"
#include "ErrorHandler.h"
#include "Exception.h"
#include "FormatNumber.h"
#include "IntText.h"
#include "MessageService.h"
#include "ModalForm.h"
#include "RemotoPesq.h"
#include "ScreenControls.h"
#include "SelectionService.h"

#include <QAction>
#include <QDesktopServices>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QUrl>

TFIniciaRemoto* FIniciaRemoto = nullptr;

// The picture lives in this static library's resources, which the linker
// keeps only when something refers to them.
static void InitScreenResources() {
    Q_INIT_RESOURCE(screens);
}

namespace {

const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);

QFont PixelFont(int pixels, bool bold, bool underline = false) {
    QFont font = ScreenFont();
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

void SetTextColor(QWidget* w, const QColor& color) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, color);
    w->setPalette(palette);
}

// The firm's picture, kept with the program as a JPEG.
QPixmap FirmPicture() {
    InitScreenResources();
    QImageReader reader(QStringLiteral(":/screens/quorva.jpg"), "jpeg");
    return QPixmap::fromImage(reader.read());
}

} // namespace

TFIniciaRemoto::TFIniciaRemoto(QWidget* owner) : QMainWindow(owner) {
    FIniciaRemoto = this;
    BuildWindow();
    BindData();
    Guard([this] { FormCreate(this); });
}

TFIniciaRemoto::~TFIniciaRemoto() {
    Timer1.stop();
    Guard([this] { FormDestroy(this); });
    if (FIniciaRemoto == this) {
        FIniciaRemoto = nullptr;
    }
}

void TFIniciaRemoto::BuildWindow() {
    setObjectName(QStringLiteral("FIniciaRemoto"));
    setWindowTitle(QStringLiteral("  Acesso Remoto (2015-02)"));
    setFont(ScreenFont());
    Encerar1 = menuBar()->addAction(QStringLiteral("&Encerrar"));
    connect(Encerar1, &QAction::triggered, this,
            Guarded([this](bool) { Encerar1Click(Encerar1); }));

    auto* client = new QWidget(this);
    setCentralWidget(client);
    const int width = 544;

    Label1 = new QLabel(QStringLiteral("LANÇAMENTOS EM TEMPO REAL"), client);
    Label1->setGeometry(0, 10, width, 28);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(PixelFont(19, true));
    SetTextColor(Label1, kNavy);

    Image1 = new QLabel(client);
    Image1->setGeometry(32, 46, 202, 193);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(FirmPicture());

    DBImage1 = new TDBImage(client);
    DBImage1->setGeometry(278, 46, 235, 193);

    Label5 = new QLabel(client);
    Label5->setGeometry(32, 248, 480, 20);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setFont(PixelFont(13, true));

    StaticText1 = new QLabel(client);
    StaticText1->setGeometry(30, 274, 483, 22);
    StaticText1->setFrameShape(QFrame::Box);
    StaticText1->setAlignment(Qt::AlignCenter);
    StaticText1->setFont(PixelFont(13, true));
    SetTextColor(StaticText1, kNavy);

    Panel1 = new QFrame(client);
    Panel1->setGeometry(122, 306, 300, 128);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Label2 = new QLabel(QStringLiteral("Login:"), Panel1);
    Label2->setGeometry(40, 18, 56, 22);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setGeometry(100, 16, 150, 24);
    Label3 = new QLabel(QStringLiteral("Senha:"), Panel1);
    Label3->setGeometry(40, 52, 56, 22);
    Edit2 = new QLineEdit(Panel1);
    Edit2->setGeometry(100, 50, 150, 24);
    Edit2->setEchoMode(QLineEdit::Password);
    Edit2->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("Entrar"), Panel1);
    BitBtn1->setGeometry(100, 86, 100, 30);
    Panel1->hide();

    Label4 = new QLabel(
        QStringLiteral("Desenvolvido pela equipe QuorvaOnline - www.example.com/quorvaonline"),
        client);
    Label4->setGeometry(0, 462, width, 18);
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setFont(PixelFont(11, true, true));
    Label4->setCursor(Qt::PointingHandCursor);
    SetTextColor(Label4, kNavy);

    resize(width, 522);
    CenterOnScreen(this);

    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, Guarded([this] { Timer1Timer(&Timer1); }));
    connect(BitBtn1, &QPushButton::clicked, this, Guarded([this](bool) { BitBtn1Click(BitBtn1); }));
    OnExit(Edit1, [this] { Edit1Exit(Edit1); });
    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);
    Label4->installEventFilter(this);

    tcp.SetHost(DMod::DatabaseHost());
    tcp.SetPort(DMod::DatabasePort);
    tcp.SetConnectTimeout(1000);
}

void TFIniciaRemoto::BindData() {
    TIBDatabase* database = DM != nullptr ? &DM->BDados : nullptr;
    Transa.SetDefaultDatabase(database);
    SQL.SetDatabase(database);
    SQL.SetTransaction(&Transa);
    QCond.SetDatabase(database);
    QCond.SetTransaction(&Transa);
    QCond.SetSQL(QStringLiteral("select nome,logo from COND where cond = :wcond"));
    QCondNOME = &QCond.AddField<TIBStringField>(QStringLiteral("NOME"));
    QCondLOGO = &QCond.AddField<TBlobField>(QStringLiteral("LOGO"));
}

void TFIniciaRemoto::FormCreate(QObject*) {
    Transa.SetActive(false);
    Transa.SetActive(true);
    Label5->clear();
    Ini = std::make_unique<IniFile>(QString::fromLatin1(IniciaRemoto::IniFileName));
    const int cond = Ini->ReadInteger(QString::fromLatin1(IniciaRemoto::IniSection),
                                      QString::fromLatin1(IniciaRemoto::IniKey), 0);
    QCond.Close();
    QCond.ParamByName(QStringLiteral("wcond")).SetAsInteger(cond);
    QCond.Open();
    const QString nome = QCondNOME->AsString();
    if (!nome.isEmpty()) {
        Label5->setText(nome);
    }
    DBImage1->ShowBlob(QCondLOGO->AsBytes());
}

void TFIniciaRemoto::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) {
        Guard([this] { FormShow(this); });
    }
}

void TFIniciaRemoto::FormShow(QObject*) {
    Timer1.start();
}

void TFIniciaRemoto::SetStatus(const QString& text, const QColor& color) {
    SetTextColor(StaticText1, color);
    StaticText1->setText(text);
}

bool TFIniciaRemoto::DatabaseWorks() {
    if (DM == nullptr || !DM->ConnectionWorks()) {
        return false;
    }
    if (!Transa.Active()) {
        // The creation found no database: its reading is done now.
        try {
            FormCreate(this);
        } catch (const Exception&) {
            return false;
        }
    }
    return true;
}

void TFIniciaRemoto::Timer1Timer(QObject*) {
    if (tcp.Connected()) {
        return;
    }
    // The port answering is not enough to say the connection is there: a
    // server that restarted dropped the program's attachment, which is made
    // again here, and a program that started without the server gets its
    // connection now. Until that works the probe counts as down and tries
    // again at the next tick.
    const bool up = tcp.Connect() && DatabaseWorks();
    if (!up) {
        tcp.Disconnect();
    }
    if (up) {
        SetStatus(QStringLiteral("Conexão estabelecida com o servidor da QUORVA."), kNavy);
        Panel1->show();
        if (isVisible()) {
            Edit1->setFocus();
        }
    } else {
        SetStatus(QStringLiteral("Não há conexão com o servidor da QUORVA."), kRed);
        Panel1->hide();
    }
}

bool TFIniciaRemoto::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && watched == Edit1) {
            Edit2->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (enter && watched == Edit2) {
            BitBtn1->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    if (watched == Label4 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Guard([this] { Label4Click(Label4); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

int TFIniciaRemoto::TypedCondCount(std::int32_t& cond) {
    cond = StrToIntDef(Edit1->text(), 0);
    return SelectionService::CondCount(SQL, cond);
}

void TFIniciaRemoto::Edit1Exit(QObject*) {
    std::int32_t cond = 0;
    if (TypedCondCount(cond) == 0) {
        ShowMessage(LoginMessages::NaoReconhecido);
        Edit1->setFocus(Qt::OtherFocusReason);
    }
}

void TFIniciaRemoto::BitBtn1Click(QObject*) {
    if (!tcp.Connected()) {
        ShowMessage(QStringLiteral("Conexão com servidor da QUORVA foi perdida."));
        return;
    }
    const std::int32_t cond = StrToIntDef(Edit1->text(), 0);
    switch (SelectionService::CheckLogin(SQL, cond, Edit2->text())) {
    case SelectionService::TLogin::UnknownCond:
        ShowMessage(LoginMessages::NaoReconhecido);
        return;
    case SelectionService::TLogin::WrongPassword:
        ShowMessage(LoginMessages::SenhaInvalida);
        Edit2->setFocus(Qt::OtherFocusReason);
        return;
    case SelectionService::TLogin::Ok:
        break;
    }
    hide();
    {
        TFRemotoPesq form(this);
        ShowModal(form);
    }
    Edit1->clear();
    Edit2->clear();
    show();
}

void TFIniciaRemoto::Label4Click(QObject*) {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(IniciaRemoto::CreditUrl)));
}

void TFIniciaRemoto::Encerar1Click(QObject*) {
    close();
}

void TFIniciaRemoto::FormDestroy(QObject*) {
    if (DM != nullptr && DM->CondLogado > 0 && Ini) {
        Ini->WriteString(QString::fromLatin1(IniciaRemoto::IniSection),
                         QString::fromLatin1(IniciaRemoto::IniKey),
                         FormatNumberText(QStringLiteral("#########"), DM->CondLogado));
    }
    QCond.Close();
    Ini.reset();
    Transa.SetActive(false);
}
