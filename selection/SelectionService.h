#pragma once
// The login and the choice of a report as the start screen, the selection
// screen and the report tool all make them: the statements sent and the
// rules applied live here once. Each call runs through the caller's statement
// component (its database and transaction already set) and leaves it closed;
// the caller keeps deciding when its transaction starts and ends.
#include <QList>
#include <QString>
#include <cstdint>

class TIBSQL;

// Messages of the login; the start screen and the report tool say them.
namespace LoginMessages {
inline const QString NaoReconhecido = QStringLiteral("Login não reconhecido.");
inline const QString SenhaInvalida = QStringLiteral("Senha inválida para o Login.");
} // namespace LoginMessages

// Messages of the selection screen; the report tool says them too.
namespace RemotoPesq {
inline const QString MesInvalido = QStringLiteral("Mês inválido");
inline const QString SemLancamentos = QStringLiteral("Não há lançamentos para o mês");
inline const QString DataInicialInvalida = QStringLiteral("Data inicial é inválida.");
inline const QString DataFinalInvalida = QStringLiteral("Data final é inválida.");
inline const QString DataInvalida = QStringLiteral("Data inicial ou final inválida.");
inline const QString InicioAposFimAoSair =
    QStringLiteral("Data inicial não pode ser maior que a final");
inline const QString InicioAposFim = QStringLiteral("Data inicial é maior do qu a final.");
inline const QString NenhumaConta = QStringLiteral("Não há conta selecionada.");
} // namespace RemotoPesq

namespace SelectionService {

// How many condominiums have the number: 0 or 1.
std::int32_t CondCount(TIBSQL& sql, std::int32_t cond);

enum class TLogin { Ok, UnknownCond, WrongPassword };

// The number must name a condominium and the password equal the stored one
// once both are in upper case by the Windows-1252 rules (accented letters
// included); nothing is trimmed. A login that passes sets the login state:
// the condominium and its balance report code.
TLogin CheckLogin(TIBSQL& sql, std::int32_t cond, const QString& password);

// The logged-in condominium's latest month with entries, as the server
// gives it (0 or less when it has none).
double LatestMonth(TIBSQL& sql);

struct TCondInfo {
    QString Nome;
    std::int32_t Estrutura = 0; // its chart of accounts
};
// The logged-in condominium's name and chart of accounts.
TCondInfo CondInfo(TIBSQL& sql);

struct TAccount {
    QString Code;
    QString Name;
};
// The chart of accounts as the selection screen's grid lists it, in code
// order: type 0 income, 1 expense, 2 both; grade 0 to 3 keeps codes of at
// most 1, 4, 7 or 10 characters.
QList<TAccount> Accounts(TIBSQL& sql, int type, std::int32_t estrutura, int grade);

// Entries of a month (its first day), counted over every condominium as
// the selection screen counts them.
std::int32_t MonthEntryCount(TIBSQL& sql, double month);
// Entries dated from one day to another, both whole days included.
std::int32_t PeriodEntryCount(TIBSQL& sql, double from, double to);

} // namespace SelectionService
