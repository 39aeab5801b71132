#include "IBDatabase.h"

#include "FbClient.h"
#include "IBCall.h"
#include "IBError.h"
#include "IBStatement.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace {

template <typename T> void Remove(std::vector<T*>& v, T* x) {
    v.erase(std::remove(v.begin(), v.end(), x), v.end());
}

void AddString(QByteArray& pb, char code, const QByteArray& value) {
    pb.append(code);
    pb.append(static_cast<char>(std::min<qsizetype>(value.size(), 255)));
    pb.append(value.left(255));
}

void AddInt(QByteArray& pb, char code, int value) {
    pb.append(code);
    pb.append(static_cast<char>(4));
    for (int i = 0; i < 4; ++i) {
        pb.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// The layout the library's isc_start_multiple reads.
struct TransactionElement {
    IBHandle* database;
    int tpbLength;
    const char* tpb;
};

} // namespace

// ---------------------------------------------------------------- database

TIBDatabase::TIBDatabase() : api_(FbClient::Api()) {}

TIBDatabase::~TIBDatabase() {
    try {
        SetConnected(false);
    } catch (const Exception&) {
        // Nothing to report to at this point; the handles are released.
    }
    for (TIBTransaction* t : std::vector<TIBTransaction*>(transactions_)) {
        t->DatabaseDestroyed();
    }
    for (IBDatabaseClient* c : std::vector<IBDatabaseClient*>(clients_)) {
        c->DatabaseDestroyed();
    }
}

void TIBDatabase::SetConnected(bool on) {
    if (on == Connected()) {
        return;
    }
    if (on) {
        handle_ = Attach();
    } else {
        Detach();
    }
}

IBHandle TIBDatabase::Attach() {
    if (databaseName_.isEmpty()) {
        throw EIBError(QString::fromLatin1(IBText::DatabaseNameMissing));
    }
    QByteArray dpb;
    dpb.append(static_cast<char>(isc_dpb_version1));
    charset_ = IBCharset::Win1252;
    for (const QString& line : params_) {
        int eq = static_cast<int>(line.indexOf(u'='));
        QString name = (eq < 0 ? line : line.left(eq)).trimmed().toLower();
        QByteArray value = EncodeText(IBCharset::Win1252, eq < 0 ? QString() : line.mid(eq + 1));
        if (name == u"user_name") {
            AddString(dpb, isc_dpb_user_name, value);
        } else if (name == u"password") {
            AddString(dpb, isc_dpb_password, value);
        } else if (name == u"sql_role_name") {
            AddString(dpb, isc_dpb_sql_role_name, value);
        } else if (name == u"lc_ctype") {
            AddString(dpb, isc_dpb_lc_ctype, value);
            QByteArray cs = value.trimmed().toUpper();
            charset_ = cs == "UTF8" || cs == "UNICODE_FSS" ? IBCharset::Utf8 : IBCharset::Win1252;
        }
    }
    AddInt(dpb, isc_dpb_sql_dialect, sqlDialect_);
    // A server that accepts the connection but never answers (or a frozen
    // one) is given up after the time-out, not after the library's minutes.
    const int timeout = IBCall::Timeout();
    if (timeout > 0) {
        AddInt(dpb, isc_dpb_connect_timeout, timeout);
    }
    QByteArray name = EncodeText(IBCharset::Win1252, databaseName_);
    ISC_STATUS_ARRAY status;
    IBHandle handle = 0;
    const auto started = std::chrono::steady_clock::now();
    auto attach = [&] {
        api_.attach_database(status, static_cast<short>(name.size()), name.constData(), &handle,
                             static_cast<short>(dpb.size()), dpb.constData());
    };
    IBCall::Run(0, IBCall::Kind::Work, IBCall::Wait::Connect, status, attach);
    const bool failed = status[0] == 1 && status[1] != 0;
    // The library's own text says only that the connection was rejected.
    if (failed && timeout > 0 &&
        std::chrono::steady_clock::now() - started >=
            std::chrono::seconds(timeout) - std::chrono::milliseconds(100)) {
        throw EIBTimeout(IBCall::TimeoutMessage(IBCall::Wait::Connect, timeout));
    }
    IBCheck(api_, status);
    IBCall::Forget(handle);
    return handle;
}

void TIBDatabase::Detach() {
    // Every transaction ends with its default action first; the first error
    // is raised once the connection is gone, so the state is always clean.
    // On a connection the server dropped, a transaction without changes has
    // lost nothing: closing the program then says nothing about it.
    std::optional<EIBError> first;
    for (TIBTransaction* t : std::vector<TIBTransaction*>(transactions_)) {
        if (!t->Active()) {
            continue;
        }
        const bool changes = t->HasChanges();
        try {
            t->EndWithDefaultAction();
        } catch (const EIBError& e) {
            if (!first && (changes || !LostReason())) {
                first = e;
            }
            try {
                t->Rollback();
            } catch (const EIBError&) {
                // Rollback forgets the handle even when it fails.
            }
        }
    }
    for (IBDatabaseClient* c : std::vector<IBDatabaseClient*>(clients_)) {
        c->DatabaseDisconnecting();
    }
    ISC_STATUS_ARRAY status;
    const IBHandle handle = handle_;
    auto detach = [&] { api_.detach_database(status, &handle_); };
    const bool lost = LostReason().has_value();
    IBCall::Run(handle, IBCall::Kind::Cleanup, IBCall::Wait::Disconnect, status, detach);
    if (status[0] == 1 && status[1] != 0 && !first && !lost) {
        first = EIBError(IBStatusText(api_, status), api_.sqlcode(status), status[1]);
    }
    IBCall::Forget(handle);
    handle_ = 0;
    if (first) {
        throw *first;
    }
}

std::optional<EIBError> TIBDatabase::LostReason() const {
    return Connected() ? IBCall::Lost(handle_) : std::nullopt;
}

bool TIBDatabase::MayReconnect() const {
    return Reconnectable(false);
}

bool TIBDatabase::Reconnectable(bool afterTimeout) const {
    if (!Connected() || IBCall::Stopping() || !IBCall::Lost(handle_) ||
        (!afterTimeout && IBCall::LostToTimeout(handle_))) {
        return false;
    }
    return std::none_of(transactions_.begin(), transactions_.end(),
                        [](const TIBTransaction* t) { return t->Active() && t->HasChanges(); });
}

bool TIBDatabase::Reconnect() {
    // The new attachment first: when the server is still away, the old one
    // stays as it is, lost, and the next statement tries again.
    const EIBError lost = LostReason().value_or(EIBError(QString()));
    IBHandle fresh = 0;
    try {
        fresh = Attach();
    } catch (const EIBError&) {
        return false;
    }
    for (IBDatabaseClient* c : std::vector<IBDatabaseClient*>(clients_)) {
        c->DatabaseReattached(lost);
    }
    std::vector<TIBTransaction*> restart;
    for (TIBTransaction* t : std::vector<TIBTransaction*>(transactions_)) {
        if (t->Active()) {
            restart.push_back(t);
            t->Abandon();
        }
    }
    ReleaseLost();
    handle_ = fresh;
    for (TIBTransaction* t : restart) {
        t->Start();
    }
    return true;
}

void TIBDatabase::ReleaseLost() {
    ISC_STATUS_ARRAY status;
    const IBHandle handle = handle_;
    auto detach = [&] { api_.detach_database(status, &handle_); };
    IBCall::Run(handle, IBCall::Kind::Cleanup, IBCall::Wait::Disconnect, status, detach);
    IBCall::Forget(handle);
    handle_ = 0;
}

void TIBDatabase::AskServer() {
    const char items[] = {isc_info_attachment_id, isc_info_end};
    char answer[32];
    ISC_STATUS_ARRAY status;
    auto ask = [&] {
        api_.database_info(status, &handle_, static_cast<short>(sizeof items), items,
                           static_cast<short>(sizeof answer), answer);
    };
    IBCall::Run(handle_, IBCall::Kind::Work, IBCall::Wait::Info, status, ask);
    IBCheck(api_, status);
}

void TIBDatabase::TestConnection() {
    CheckActive();
    try {
        AskServer();
    } catch (const EIBError&) {
        if (!Reconnectable(true) || !Reconnect()) {
            throw;
        }
        AskServer();
    }
}

void TIBDatabase::CheckActive() const {
    if (!Connected()) {
        throw EIBError(QString::fromLatin1(IBText::DatabaseClosed));
    }
}

void TIBDatabase::AddTransaction(TIBTransaction* t) {
    if (std::find(transactions_.begin(), transactions_.end(), t) == transactions_.end()) {
        transactions_.push_back(t);
    }
}

void TIBDatabase::RemoveTransaction(TIBTransaction* t) {
    Remove(transactions_, t);
}

void TIBDatabase::AddClient(IBDatabaseClient* c) {
    if (std::find(clients_.begin(), clients_.end(), c) == clients_.end()) {
        clients_.push_back(c);
    }
}

void TIBDatabase::RemoveClient(IBDatabaseClient* c) {
    Remove(clients_, c);
}

// ------------------------------------------------------------- transaction

TIBTransaction::TIBTransaction() : api_(FbClient::Api()) {}

TIBTransaction::~TIBTransaction() {
    try {
        EndWithDefaultAction();
    } catch (const Exception&) {
        // Destroyed while the connection was lost: nothing left to end.
    }
    handle_ = 0;
    for (IBTransactionClient* c : std::vector<IBTransactionClient*>(clients_)) {
        c->TransactionDestroyed();
    }
    if (database_ != nullptr) {
        database_->RemoveTransaction(this);
    }
}

void TIBTransaction::SetDefaultDatabase(TIBDatabase* db) {
    if (database_ == db) {
        return;
    }
    if (database_ != nullptr) {
        database_->RemoveTransaction(this);
    }
    database_ = db;
    if (database_ != nullptr) {
        database_->AddTransaction(this);
    }
}

void TIBTransaction::SetActive(bool on) {
    if (on && !Active()) {
        StartTransaction();
    } else if (!on && Active()) {
        Rollback();
    }
}

QByteArray TIBTransaction::BuildTPB() const {
    static const std::pair<const char*, char> kWords[] = {
        {"read_committed", isc_tpb_read_committed},
        {"rec_version", isc_tpb_rec_version},
        {"no_rec_version", isc_tpb_no_rec_version},
        {"nowait", isc_tpb_nowait},
        {"wait", isc_tpb_wait},
        {"concurrency", isc_tpb_concurrency},
        {"consistency", isc_tpb_consistency},
        {"read", isc_tpb_read},
        {"write", isc_tpb_write},
    };
    QByteArray tpb;
    for (const QString& raw : params_) {
        QString word = raw.trimmed().toLower();
        if (word.startsWith(QStringLiteral("isc_tpb_"))) {
            word = word.mid(8);
        }
        if (word.isEmpty()) {
            continue;
        }
        auto it = std::find_if(std::begin(kWords), std::end(kWords),
                               [&](const auto& w) { return word == QLatin1String(w.first); });
        if (it == std::end(kWords)) {
            throw EIBError(QStringLiteral("Invalid transaction parameter: %1").arg(raw));
        }
        tpb.append(it->second);
    }
    if (!tpb.isEmpty()) {
        tpb.prepend(static_cast<char>(isc_tpb_version3));
    }
    return tpb;
}

void TIBTransaction::StartTransaction() {
    if (Active()) {
        return;
    }
    if (database_ == nullptr) {
        throw EIBError(QString::fromLatin1(IBText::DatabaseNotAssigned));
    }
    database_->CheckActive();
    try {
        Start();
    } catch (const EIBError&) {
        // The first call after a server restart is often this one: attach
        // again and start on the new attachment.
        if (!database_->MayReconnect() || !database_->Reconnect()) {
            throw;
        }
        if (!Active()) {
            Start();
        }
    }
}

void TIBTransaction::Start() {
    QByteArray tpb = BuildTPB();
    TransactionElement teb{database_->Handle(), static_cast<int>(tpb.size()),
                           tpb.isEmpty() ? nullptr : tpb.constData()};
    ISC_STATUS_ARRAY status;
    IBHandle handle = 0;
    auto start = [&] { api_.start_multiple(status, &handle, 1, &teb); };
    IBCall::Run(*database_->Handle(), IBCall::Kind::Work, IBCall::Wait::StartTransaction, status,
                start);
    IBCheck(api_, status);
    handle_ = handle;
    changes_ = false;
}

void TIBTransaction::NotifyEnding() {
    for (IBTransactionClient* c : std::vector<IBTransactionClient*>(clients_)) {
        c->TransactionEnding();
    }
}

void TIBTransaction::Commit() {
    CheckInTransaction();
    NotifyEnding();
    ISC_STATUS_ARRAY status;
    auto commit = [&] { api_.commit_transaction(status, &handle_); };
    IBCall::Run(DatabaseHandle(), IBCall::Kind::Cleanup, IBCall::Wait::Commit, status, commit);
    // A failed commit leaves the transaction active: the caller may still
    // roll it back.
    IBCheck(api_, status);
    handle_ = 0;
    changes_ = false;
}

void TIBTransaction::Rollback() {
    CheckInTransaction();
    NotifyEnding();
    ISC_STATUS_ARRAY status;
    auto rollback = [&] { api_.rollback_transaction(status, &handle_); };
    IBCall::Run(DatabaseHandle(), IBCall::Kind::Cleanup, IBCall::Wait::Rollback, status, rollback);
    // Whatever the answer, the transaction is over: the server rolls back
    // one whose connection is gone, so that is no error either.
    handle_ = 0;
    changes_ = false;
    if (database_ != nullptr && database_->LostReason()) {
        return;
    }
    IBCheck(api_, status);
}

void TIBTransaction::Abandon() {
    ISC_STATUS_ARRAY status;
    auto rollback = [&] { api_.rollback_transaction(status, &handle_); };
    IBCall::Run(DatabaseHandle(), IBCall::Kind::Cleanup, IBCall::Wait::Rollback, status, rollback);
    handle_ = 0;
    changes_ = false;
}

void TIBTransaction::EndWithDefaultAction() {
    if (!Active()) {
        return;
    }
    if (defaultAction_ == TTransactionAction::TACommit) {
        Commit();
    } else {
        Rollback();
    }
}

IBHandle TIBTransaction::DatabaseHandle() {
    return database_ != nullptr ? *database_->Handle() : 0;
}

void TIBTransaction::CheckInTransaction() const {
    if (!Active()) {
        throw EIBError(QString::fromLatin1(IBText::NotInTransaction));
    }
}

void TIBTransaction::AddClient(IBTransactionClient* c) {
    if (std::find(clients_.begin(), clients_.end(), c) == clients_.end()) {
        clients_.push_back(c);
    }
}

void TIBTransaction::RemoveClient(IBTransactionClient* c) {
    Remove(clients_, c);
}
