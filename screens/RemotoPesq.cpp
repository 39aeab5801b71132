#include "RemotoPesq.h"

#include "BalanceteChoice.h"
#include "DMod.h"
#include "DateTime.h"
#include "ErrorHandler.h"
#include "FormatDate.h"
#include "MessageService.h"
#include "ReportEntries.h"
#include "ScreenControls.h"
#include "SelectionService.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

namespace {

const QColor kPanelColor(138, 197, 255);
const QColor kHeaderColor(174, 215, 255);
const QString kSim = QStringLiteral("Sim");

void Paint(QWidget* w, const QColor& color) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, color);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

QPushButton* Button(const QString& text, QStyle::StandardPixmap glyph, const QString& hint,
                    QWidget* parent) {
    auto* button = new QPushButton(parent->style()->standardIcon(glyph), text, parent);
    button->setToolTip(hint);
    return button;
}

// The codes of the grid's rows below the header, in order; a row without an
// account has an empty code.
QStringList GridCodes(const TStringGrid& grid) {
    QStringList codes;
    for (int r = 1; r < grid.RowCount(); ++r) {
        codes << grid.Cells(0, r);
    }
    return codes;
}

// The grid's accounts and their marks, as the balance report takes them.
BalanceteChoice::TMarked MarkedAccounts(const TStringGrid& grid) {
    QStringList codes;
    std::vector<bool> marked;
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (!grid.Cells(0, r).isEmpty()) {
            codes << grid.Cells(0, r);
            marked.push_back(grid.Cells(2, r) == kSim);
        }
    }
    return BalanceteChoice::Chosen(codes, marked);
}

} // namespace

TFRemotoPesq::TFRemotoPesq(QWidget* owner) : QDialog(owner) {
    BuildWindow();
    Connect();
    TIBDatabase* database = DM != nullptr ? &DM->BDados : nullptr;
    Transa.SetDefaultDatabase(database);
    SQL.SetDatabase(database);
    SQL.SetTransaction(&Transa);
    Guard([this] { FormCreate(this); });
}

TFRemotoPesq::~TFRemotoPesq() = default;

void TFRemotoPesq::BuildWindow() {
    setObjectName(QStringLiteral("FRemotoPesq"));
    setFont(ScreenFont());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MainMenu1 = new QMenuBar(this);
    layout->setMenuBar(MainMenu1);
    auto* client = new QWidget(this);
    layout->addWidget(client);

    Panel1 = new QFrame(client);
    Panel1->setGeometry(0, 0, 624, 84);
    Paint(Panel1, kPanelColor);
    BuildPanel1();

    Panel3 = new QFrame(client);
    Panel3->setGeometry(0, 84, 624, 60);
    Paint(Panel3, kPanelColor);
    BuildPanel3();

    Label2 = new QLabel(QStringLiteral(" Duplo Click para Selecionar "), client);
    Label2->move(6, 148);
    Label2->adjustSize();
    Paint(Label2, QColor(255, 255, 0));

    SG = new TStringGrid(3, client);
    SG->setGeometry(0, 168, 624, 430);
    SG->setColumnWidth(0, 83);
    SG->setColumnWidth(1, 428);
    SG->setColumnWidth(2, 53);
    SG->SetDefaultRowHeight(17);
    SG->SetFixedColor(kHeaderColor);
    SG->SetRowCount(2);
    WriteHeader();

    resize(624, 620);
    CenterOnScreen(this);
}

void TFRemotoPesq::BuildPanel1() {
    PageControl1 = new QTabWidget(Panel1);
    PageControl1->setGeometry(6, 4, 300, 76);
    TabSheet1 = new QWidget;
    TabSheet2 = new QWidget;
    PageControl1->addTab(TabSheet1, QStringLiteral("Mês:"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Período"));
    Label1 = new QLabel(QStringLiteral("Mês atual:"), TabSheet1);
    Label1->setGeometry(10, 12, 64, 22);
    MaskEdit1 = new TMaskEdit(QStringLiteral("99/9999"), TabSheet1);
    MaskEdit1->setGeometry(80, 10, 70, 24);
    Label3 = new QLabel(QStringLiteral("Início"), TabSheet2);
    Label3->setGeometry(8, 12, 36, 22);
    MaskEdit2 = new TMaskEdit(QStringLiteral("99/99/9999"), TabSheet2);
    MaskEdit2->setGeometry(46, 10, 90, 24);
    Label4 = new QLabel(QStringLiteral("Fim"), TabSheet2);
    Label4->setGeometry(150, 12, 26, 22);
    MaskEdit3 = new TMaskEdit(QStringLiteral("99/99/9999"), TabSheet2);
    MaskEdit3->setGeometry(180, 10, 90, 24);
    PageControl1->setCurrentWidget(TabSheet1);

    Btn_Imprime_Pedido =
        Button(QStringLiteral("Gerar Relatório"), QStyle::SP_FileDialogContentsView,
               QStringLiteral("Imprime Pedido"), Panel1);
    Btn_Imprime_Pedido->setGeometry(314, 8, 144, 68);
    Btn_Imprime_Pedido->setCursor(Qt::PointingHandCursor);
    Btn_Confirma_Pedido =
        Button(QStringLiteral("Selecionar todas as contas"), QStyle::SP_DialogApplyButton,
               QStringLiteral("Confirma Operação Corrente"), Panel1);
    Btn_Confirma_Pedido->setGeometry(464, 8, 154, 32);
    Btn_Cancela_Pedido =
        Button(QStringLiteral("Desmarcar as contas"), QStyle::SP_DialogCancelButton,
               QStringLiteral("Cancela Operação Corrente"), Panel1);
    Btn_Cancela_Pedido->setGeometry(464, 44, 154, 32);
}

void TFRemotoPesq::BuildPanel3() {
    RadioGroup1 = new TRadioGroup(
        QStringLiteral(" Escolha o tipo de Contas "),
        {QStringLiteral("Receitas"), QStringLiteral("Despesas"), QStringLiteral("Todas")}, 3,
        Panel3);
    RadioGroup1->setGeometry(6, 2, 226, 54);
    RadioGroup1->SetItemIndex(1);
    RadioGroup2 = new TRadioGroup(QStringLiteral(" Escolha o Grau da Conta"),
                                  {QStringLiteral("1"), QStringLiteral("1.01"),
                                   QStringLiteral("1.01.01"), QStringLiteral("1.01.01.01")},
                                  4, Panel3);
    RadioGroup2->setGeometry(238, 2, 284, 54);
    RadioGroup2->SetItemIndex(1);
    Btn_Importa_Registro =
        Button(QStringLiteral("Buscar Contas"), QStyle::SP_BrowserReload,
               QStringLiteral("Pedidos de Compras gerados para Encomenda"), Panel3);
    Btn_Importa_Registro->setGeometry(528, 12, 90, 36);
    Btn_Importa_Registro->hide();
}

void TFRemotoPesq::Connect() {
    MainMenu1->addAction(QStringLiteral("Inadimplência"), this,
                         Guarded([this] { Inadimplncia1Click(this); }));
    MainMenu1->addAction(QStringLiteral("&Compromissado"), this,
                         Guarded([this] { Compromissado1Click(this); }));
    MainMenu1->addAction(QStringLiteral("Encerrar"), this,
                         Guarded([this] { Encerrar1Click(this); }));
    RadioGroup1->OnClick = [this] { RadioGroup1Click(RadioGroup1); };
    RadioGroup2->OnClick = [this] { RadioGroup2Click(RadioGroup2); };
    connect(Btn_Importa_Registro, &QPushButton::clicked, this,
            Guarded([this](bool) { Btn_Importa_RegistroClick(Btn_Importa_Registro); }));
    connect(Btn_Confirma_Pedido, &QPushButton::clicked, this,
            Guarded([this](bool) { Btn_Confirma_PedidoClick(Btn_Confirma_Pedido); }));
    connect(Btn_Cancela_Pedido, &QPushButton::clicked, this,
            Guarded([this](bool) { Btn_Cancela_PedidoClick(Btn_Cancela_Pedido); }));
    connect(Btn_Imprime_Pedido, &QPushButton::clicked, this,
            Guarded([this](bool) { Btn_Imprime_PedidoClick(Btn_Imprime_Pedido); }));
    connect(SG, &QTableWidget::cellDoubleClicked, this, Guarded([this](int row, int column) {
                // The header row is never a row of accounts.
                if (row >= 1) {
                    SG->setCurrentCell(row, column);
                    SGDblClick(SG);
                }
            }));
    OnEnter(MaskEdit1, [this] { MaskEdit1Enter(MaskEdit1); });
    OnExit(MaskEdit1, [this] { MaskEdit1Exit(MaskEdit1); });
    OnExit(MaskEdit2, [this] { MaskEdit2Exit(MaskEdit2); });
    OnExit(MaskEdit3, [this] { MaskEdit3Exit(MaskEdit3); });
    OnContainerExit(PageControl1, [this] { PageControl1Exit(PageControl1); });
}

void TFRemotoPesq::WriteHeader() {
    SG->SetCells(0, 0, QStringLiteral("  Conta"));
    SG->SetCells(1, 0, QStringLiteral("  Descrição da Conta"));
    SG->SetCells(2, 0, QStringLiteral("Seleciona"));
}

void TFRemotoPesq::FocusField(QWidget* field) {
    QWidget* page = field == MaskEdit1 ? TabSheet1 : TabSheet2;
    if (PageControl1->currentWidget() == page) {
        field->setFocus(Qt::OtherFocusReason);
    }
}

void TFRemotoPesq::FormCreate(QObject*) {
    Transa.SetActive(false);
    Transa.SetActive(true);
    const double mes = SelectionService::LatestMonth(SQL);
    if (mes > 0) {
        MaskEdit1->SetText(FormatDateText(QStringLiteral("mm/yyyy"), mes));
        const QString today = FormatDateText(QStringLiteral("dd/mm/yyyy"), DateTime::Today());
        MaskEdit2->SetText(today);
        MaskEdit3->SetText(today);
        DM->MesAtual = mes;
    } else {
        MaskEdit1->SetText(QString());
        DM->MesAtual = 0;
    }
    mesNaEntrada_ = MaskEdit1->Text();
    Transa.SetActive(false);
    QCoreApplication::processEvents();
}

void TFRemotoPesq::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        Guard([this] { FormShow(this); });
    }
}

void TFRemotoPesq::FormShow(QObject*) {
    Transa.SetActive(false);
    Transa.SetActive(true);
    const SelectionService::TCondInfo cond = SelectionService::CondInfo(SQL);
    setWindowTitle(cond.Nome);
    DM->EstruturaCond = cond.Estrutura;
    Transa.SetActive(false);
    CarregaContas();
}

void TFRemotoPesq::CarregaContas() {
    SG->clearContents();
    WriteHeader();
    QCoreApplication::processEvents();
    Transa.SetActive(false);
    Transa.SetActive(true);
    SG->SetRowCount(2);
    WriteHeader();

    const QList<SelectionService::TAccount> contas = SelectionService::Accounts(
        SQL, RadioGroup1->ItemIndex(), DM->EstruturaCond, RadioGroup2->ItemIndex());
    int row = 1;
    for (const SelectionService::TAccount& conta : contas) {
        if (row >= SG->RowCount()) {
            SG->SetRowCount(row + 1);
        }
        SG->SetCells(0, row, conta.Code);
        SG->SetCells(1, row, conta.Name);
        ++row;
        SG->SetRowCount(std::max(row, 2));
    }
    QCoreApplication::processEvents();
    Transa.SetActive(false);
}

void TFRemotoPesq::LimpaContas() {
    SG->clearContents();
    WriteHeader();
    QCoreApplication::processEvents();
    Transa.SetActive(false);
    Transa.SetActive(true);
    SG->SetRowCount(2);
    WriteHeader();
}

void TFRemotoPesq::RadioGroup1Click(QObject*) {
    Btn_Importa_Registro->show();
    LimpaContas();
}

void TFRemotoPesq::RadioGroup2Click(QObject*) {
    Btn_Importa_Registro->show();
    LimpaContas();
}

void TFRemotoPesq::Btn_Importa_RegistroClick(QObject*) {
    CarregaContas();
    Btn_Importa_Registro->hide();
}

void TFRemotoPesq::SGDblClick(QObject*) {
    const int row = SG->currentRow();
    const QString conta = SG->Cells(0, row);
    if (row < 1 || conta.isEmpty()) {
        return;
    }
    const QString mark = SG->Cells(2, row) == kSim ? QString() : kSim;
    for (const qsizetype r : BalanceteChoice::Family(GridCodes(*SG), row - 1)) {
        SG->SetCells(2, static_cast<int>(r) + 1, mark);
    }
}

void TFRemotoPesq::Btn_Confirma_PedidoClick(QObject*) {
    for (int r = 1; r < SG->RowCount(); ++r) {
        if (!SG->Cells(0, r).isEmpty()) {
            SG->SetCells(2, r, kSim);
        }
    }
}

void TFRemotoPesq::Btn_Cancela_PedidoClick(QObject*) {
    for (int r = 1; r < SG->RowCount(); ++r) {
        SG->SetCells(2, r, QString());
    }
}

void TFRemotoPesq::MaskEdit1Enter(QObject*) {
    mesNaEntrada_ = MaskEdit1->Text();
}

void TFRemotoPesq::MaskEdit1Exit(QObject*) {
    const QString text = MaskEdit1->Text();
    if (text == MaskEdit1->EmptyText()) {
        LimpaContas();
        return;
    }
    if (text == mesNaEntrada_) {
        return;
    }
    DM->MesAtual = 0;
    double mes = 0;
    if (!TryParseDate(QStringLiteral("01/") + text, mes)) {
        ShowMessage(RemotoPesq::MesInvalido);
        FocusField(MaskEdit1);
        return;
    }
    DM->MesAtual = mes;
    Transa.SetActive(true);
    if (SelectionService::MonthEntryCount(SQL, DM->MesAtual) == 0) {
        ShowMessage(RemotoPesq::SemLancamentos);
        FocusField(MaskEdit1);
    }
    Transa.SetActive(false);
}

bool TFRemotoPesq::ReadDate(TMaskEdit* field, double& date, const QString& message,
                            TMaskEdit* back) {
    if (TryParseDate(field->Text(), date)) {
        return true;
    }
    ShowMessage(message);
    back->SetText(back->EmptyText());
    FocusField(back);
    return false;
}

void TFRemotoPesq::MaskEdit2Exit(QObject*) {
    ReadDate(MaskEdit2, dataIni_, RemotoPesq::DataInicialInvalida, MaskEdit2);
}

void TFRemotoPesq::MaskEdit3Exit(QObject*) {
    ReadDate(MaskEdit3, dataFim_, RemotoPesq::DataFinalInvalida, MaskEdit3);
}

// Leaving the period's page checks both dates; either one wrong sends the
// user back to the start date.
void TFRemotoPesq::PageControl1Exit(QObject*) {
    if (ReadDate(MaskEdit2, dataIni_, RemotoPesq::DataInvalida, MaskEdit2) &&
        ReadDate(MaskEdit3, dataFim_, RemotoPesq::DataInvalida, MaskEdit2) && dataIni_ > dataFim_) {
        ShowMessage(RemotoPesq::InicioAposFimAoSair);
        FocusField(MaskEdit2);
    }
}

void TFRemotoPesq::Btn_Imprime_PedidoClick(QObject*) {
    if (!ReadDate(MaskEdit2, dataIni_, RemotoPesq::DataInicialInvalida, MaskEdit2) ||
        !ReadDate(MaskEdit3, dataFim_, RemotoPesq::DataFinalInvalida, MaskEdit3)) {
        return;
    }
    if (dataIni_ > dataFim_) {
        ShowMessage(RemotoPesq::InicioAposFim);
        FocusField(MaskEdit2);
        return;
    }
    const bool mesMode = PageControl1->currentWidget() == TabSheet1;
    Transa.SetActive(true);
    const std::int32_t lancamentos =
        mesMode ? SelectionService::MonthEntryCount(SQL, DM->MesAtual)
                : SelectionService::PeriodEntryCount(SQL, dataIni_, dataFim_);
    Transa.SetActive(false);
    if (lancamentos == 0) {
        ShowMessage(RemotoPesq::SemLancamentos);
        FocusField(MaskEdit1);
        return;
    }

    TBalanceteInputs entrega;
    entrega.TipoPeriodo = mesMode ? QStringLiteral("mês") : QStringLiteral("período");
    entrega.DataIni = dataIni_;
    entrega.DataFim = dataFim_;
    entrega.TipoConta = RadioGroup1->ItemIndex();
    entrega.GrauConta = RadioGroup2->ItemIndex();
    const BalanceteChoice::TMarked marked = MarkedAccounts(*SG);
    entrega.AlgumasContas = marked.AlgumasContas;
    entrega.ContasSel = marked.ContasSel;
    Entrega = entrega;
    if (marked.Count == 0) {
        ShowMessage(RemotoPesq::NenhumaConta);
        return;
    }
    ReportEntries::ImprimeBalancete(this, Entrega);
}

void TFRemotoPesq::Inadimplncia1Click(QObject*) {
    ReportEntries::ImprimeInadimplencia(this);
}

void TFRemotoPesq::Compromissado1Click(QObject*) {
    ReportEntries::ImprimeCompromissados(this);
}

void TFRemotoPesq::Encerrar1Click(QObject*) {
    close();
}
