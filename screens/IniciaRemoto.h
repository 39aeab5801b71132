#pragma once
// The start screen: the firm's heading and picture, the condominium that
// last logged in on this computer, the server probe, and the login. It is
// the program's main window; closing it ends the program.
#include "IBQuery.h"
#include "IBSQL.h"
#include "IniFile.h"
#include "TcpClient.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TDBImage;

namespace IniciaRemoto {
inline constexpr const char* IniFileName = "torvikrm.ini";
inline constexpr const char* IniSection = "CONFIG";
inline constexpr const char* IniKey = "Cond";
// The developer's page that the credit line opens.
inline constexpr const char* CreditUrl = "https://www.example.com/quorvaonline";
} // namespace IniciaRemoto

class TFIniciaRemoto : public QMainWindow {
public:
    // Builds the window and runs its creation handler; an error there is
    // reported and the window is still created.
    explicit TFIniciaRemoto(QWidget* owner = nullptr);
    // Runs the destruction handler (writing the remembered condominium).
    ~TFIniciaRemoto() override;

    void FormCreate(QObject* sender);
    void FormShow(QObject* sender);
    void Timer1Timer(QObject* sender);
    void Edit1Exit(QObject* sender);
    void BitBtn1Click(QObject* sender);
    void Label4Click(QObject* sender);
    void Encerar1Click(QObject* sender);
    void FormDestroy(QObject* sender);

    QLabel* Label1;
    QLabel* Image1;
    TDBImage* DBImage1;
    QLabel* Label5;
    QLabel* StaticText1;
    QFrame* Panel1;
    QLabel* Label2;
    QLabel* Label3;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QPushButton* BitBtn1;
    QLabel* Label4;
    QAction* Encerar1;
    QTimer Timer1;
    TTcpClient tcp;

    TIBTransaction Transa;
    TIBSQL SQL;
    TIBQuery QCond;
    TIBStringField* QCondNOME;
    TBlobField* QCondLOGO;

    // The configuration file, its path fixed when the screen was created.
    std::unique_ptr<IniFile> Ini;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void BindData();
    void SetStatus(const QString& text, const QColor& color);
    // Whether the program's database connection works, made so when it can
    // be; false, silently, when not.
    bool DatabaseWorks();
    // The number typed in Edit1 (0 when it is not one) and the count of
    // condominiums with it.
    int TypedCondCount(std::int32_t& cond);
};

// The single instance, set while it exists.
extern TFIniciaRemoto* FIniciaRemoto;
