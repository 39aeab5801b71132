#pragma once
// The data module: the one database connection, the default transaction,
// and the login state every screen and report shares. Created before any
// window and destroyed after the last one.
#include "IBDatabase.h"
#include "RLPDFFilter.h"
#include "RLXLSFilter.h"

#include <QObject>
#include <QString>
#include <cstdint>

namespace DMod {
// The server-side path of the database and the server's port.
inline const char* const DatabasePath = "C:\\servidor\\KESTRO\\Dados\\Cond.FDB";
constexpr int DatabasePort = 3051;
// The host: QUORVA_DB_HOST when set, else the default built in.
QString DatabaseHost();
// host/3051:C:\servidor\KESTRO\Dados\Cond.FDB
QString DatabaseName();
inline const char* const ConnectionFailed = "Não foi possivel fazer conexão com o Banco de Dados.";
} // namespace DMod

// The formats every preview's save dialog offers besides the engine's own
// page file: "Documento PDF" and "Planilha Excel". Creating them registers
// them. The data module owns one set for the whole run; a saved page file
// opened without a login has no data module and is given a set of its own.
struct TExportFilters {
    TExportFilters();
    TRLPDFFilter RLPDFFilter1;
    TRLXLSFilter RLXLSFilter1;
};

class TDM : public QObject {
    Q_OBJECT
public:
    // Creates the components (loading the client library, which raises its
    // "not found" error when missing), then runs DataModuleCreate.
    explicit TDM(QObject* owner = nullptr);
    // Runs DataModuleDestroy.
    ~TDM() override;

    void DataModuleCreate(QObject* sender);
    void DataModuleDestroy(QObject* sender);

    // Whether the connection works now, made so when it can be: connects
    // when the program has none (the server was down at start), attaches
    // again when the server dropped it (a restart), and keeps the default
    // transaction running. False, silently, when the server cannot be used.
    bool ConnectionWorks();

    TIBDatabase BDados;
    TIBTransaction Transas;
    // The report export filters, alive for the whole run so that every
    // preview's save dialog offers them.
    TExportFilters ExportFilters;

    // Login state: zero at start, only ever overwritten. The logged-in
    // condominium, its balance report settings, its chart of accounts and
    // the chosen month are kept here, not in the reports' inputs: the
    // report forms read them from here when they run.
    std::int32_t CondLogado = 0;
    std::int32_t CodBalancete = 0;
    std::int32_t EstruturaCond = 0;
    double MesAtual = 0; // the chosen month's first day; 0 when none

    // Why the connection at start failed (the error's own text), for the
    // report tool's message; empty when it did not.
    QString ConnectError;
};

// The single instance, set while it exists.
extern TDM* DM;
