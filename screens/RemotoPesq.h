#pragma once
// The selection screen: a month or a period, an account type and grade, the
// accounts marked in a grid, and the commands that start the three reports.
// Shown modally after a login; closing it returns to the start screen.
#include "BalanceteEntry.h"
#include "IBSQL.h"
#include "SelectionService.h" // the screen's messages

#include <QDialog>

class QFrame;
class QLabel;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QWidget;
class TMaskEdit;
class TRadioGroup;
class TStringGrid;

class TFRemotoPesq : public QDialog {
public:
    // Builds the window and runs its creation handler; an error there is
    // reported and the window is still created.
    explicit TFRemotoPesq(QWidget* owner);
    ~TFRemotoPesq() override;

    void FormCreate(QObject* sender);
    void FormShow(QObject* sender);
    void CarregaContas();
    void LimpaContas();
    void RadioGroup1Click(QObject* sender);
    void RadioGroup2Click(QObject* sender);
    void Btn_Importa_RegistroClick(QObject* sender);
    void SGDblClick(QObject* sender);
    void Btn_Confirma_PedidoClick(QObject* sender);
    void Btn_Cancela_PedidoClick(QObject* sender);
    void MaskEdit1Enter(QObject* sender);
    void MaskEdit1Exit(QObject* sender);
    void MaskEdit2Exit(QObject* sender);
    void MaskEdit3Exit(QObject* sender);
    void PageControl1Exit(QObject* sender);
    void Btn_Imprime_PedidoClick(QObject* sender);
    void Inadimplncia1Click(QObject* sender);
    void Compromissado1Click(QObject* sender);
    void Encerrar1Click(QObject* sender);

    QMenuBar* MainMenu1;
    QFrame* Panel1;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QLabel* Label1;
    TMaskEdit* MaskEdit1;
    QLabel* Label3;
    TMaskEdit* MaskEdit2;
    QLabel* Label4;
    TMaskEdit* MaskEdit3;
    QPushButton* Btn_Imprime_Pedido;
    QPushButton* Btn_Confirma_Pedido;
    QPushButton* Btn_Cancela_Pedido;
    QFrame* Panel3;
    TRadioGroup* RadioGroup1;
    TRadioGroup* RadioGroup2;
    QPushButton* Btn_Importa_Registro;
    QLabel* Label2;
    TStringGrid* SG;

    TIBTransaction Transa;
    TIBSQL SQL;

    // What the last "Gerar Relatório" handed to the balance report.
    TBalanceteInputs Entrega;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWindow();
    void BuildPanel1();
    void BuildPanel3();
    void Connect();
    void WriteHeader();
    // Moves the focus to a field only when its page is the one showing.
    void FocusField(QWidget* field);
    // Reads a date field into `date`. A text that is no date is said with
    // the message, and `back`, the field the user is sent back to, is
    // emptied and given the focus.
    bool ReadDate(TMaskEdit* field, double& date, const QString& message, TMaskEdit* back);
    // The month field's text when it received the focus.
    QString mesNaEntrada_;
    double dataIni_ = 0;
    double dataFim_ = 0;
};
