#include "DMod.h"

#include "ErrorHandler.h"
#include "Exception.h"
#include "MessageService.h"

#ifndef QUORVA_DEFAULT_DB_HOST
#define QUORVA_DEFAULT_DB_HOST "127.0.0.1"
#endif

TDM* DM = nullptr;

namespace DMod {

QString DatabaseHost() {
    QString host = qEnvironmentVariable("QUORVA_DB_HOST").trimmed();
    return host.isEmpty() ? QStringLiteral(QUORVA_DEFAULT_DB_HOST) : host;
}

QString DatabaseName() {
    return DatabaseHost() + u'/' + QString::number(DatabasePort) + u':' +
           QString::fromLatin1(DatabasePath);
}

} // namespace DMod

TExportFilters::TExportFilters() {
    RLPDFFilter1.setObjectName(QStringLiteral("RLPDFFilter1"));
    RLPDFFilter1.DisplayName = QStringLiteral("Documento PDF");
    RLXLSFilter1.setObjectName(QStringLiteral("RLXLSFilter1"));
    RLXLSFilter1.DisplayName = QStringLiteral("Planilha Excel");
}

TDM::TDM(QObject* owner) : QObject(owner) {
    setObjectName(QStringLiteral("DM"));
    // The definition: the connection never connects by itself.
    BDados.SetDatabaseName(DMod::DatabaseName());
    BDados.Params() = {QStringLiteral("user_name=sysdba"), QStringLiteral("password=vetrasomi"),
                       QStringLiteral("lc_ctype=WIN1252")};
    BDados.SetLoginPrompt(false);
    BDados.SetSQLDialect(3);
    BDados.SetIdleTimer(0);
    BDados.SetAllowStreamedConnected(false);
    BDados.SetDefaultTransaction(&Transas);
    Transas.SetDefaultDatabase(&BDados);
    Transas.Params() = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                        QStringLiteral("nowait")};
    Transas.SetAutoStopAction(TIBTransaction::TAutoStopAction::saNone);
    DM = this;
    Guard([this] { DataModuleCreate(this); });
}

TDM::~TDM() {
    Guard([this] { DataModuleDestroy(this); });
    if (DM == this) {
        DM = nullptr;
    }
}

void TDM::DataModuleCreate(QObject*) {
    EstruturaCond = 0;
    BDados.SetConnected(false);
    ConnectError.clear();
    try {
        BDados.SetConnected(true);
    } catch (const std::exception& e) {
        // Whatever the reason (server down, wrong path, login refused), the
        // program goes on unconnected; nothing is retried.
        const auto* error = dynamic_cast<const Exception*>(&e);
        ConnectError = error ? error->Message() : QString::fromUtf8(e.what());
        ShowMessage(QString::fromUtf8(DMod::ConnectionFailed));
    }
    if (BDados.Connected()) {
        Transas.SetActive(false);
        Transas.SetActive(true);
    }
}

bool TDM::ConnectionWorks() {
    try {
        if (BDados.Connected()) {
            BDados.TestConnection();
        } else {
            BDados.SetConnected(true);
        }
        Transas.SetActive(true);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void TDM::DataModuleDestroy(QObject*) {
    BDados.SetConnected(false);
}
