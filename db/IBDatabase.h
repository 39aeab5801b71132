#pragma once
// The connection (TIBDatabase) and transactions (TIBTransaction) of the
// database layer. Plain objects owned by a data module or form; statements
// and queries register with them so that handles are released in order.
#include "IBError.h"
#include "IBRowTypes.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct FbApi;
class TIBTransaction;
using IBHandle = unsigned int; // the client library's handle type

// A statement or query holding server handles on a connection.
class IBDatabaseClient {
public:
    // The connection is about to detach: free every server handle.
    virtual void DatabaseDisconnecting() = 0;
    // The connection object is going away: forget it.
    virtual void DatabaseDestroyed() = 0;
    // The connection was attached anew after it was lost: every server
    // handle is gone. Rows already read stay readable; a cursor that had
    // more rows to give raises `lost` when asked for them, rather than end
    // as if the rows were all there.
    virtual void DatabaseReattached(const EIBError& lost) = 0;

protected:
    ~IBDatabaseClient() = default;
};

// A statement or query that may hold an open cursor in a transaction.
class IBTransactionClient {
public:
    // The transaction is about to end: close open cursors.
    virtual void TransactionEnding() = 0;
    // The transaction object is going away: forget it.
    virtual void TransactionDestroyed() = 0;

protected:
    ~IBTransactionClient() = default;
};

class TIBDatabase {
public:
    // Loads the client library; raises its "not found" error when it cannot.
    TIBDatabase();
    // Disconnects; errors at this point are dropped.
    ~TIBDatabase();
    TIBDatabase(const TIBDatabase&) = delete;
    TIBDatabase& operator=(const TIBDatabase&) = delete;

    QString DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name) { databaseName_ = name; }
    // Lines "name=value": user_name, password, lc_ctype, sql_role_name.
    QStringList& Params() { return params_; }
    const QStringList& Params() const { return params_; }
    bool LoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool on) { loginPrompt_ = on; }
    int SQLDialect() const { return sqlDialect_; }
    void SetSQLDialect(int dialect) { sqlDialect_ = dialect; }
    int IdleTimer() const { return idleTimer_; }
    void SetIdleTimer(int ms) { idleTimer_ = ms; }
    bool AllowStreamedConnected() const { return allowStreamedConnected_; }
    void SetAllowStreamedConnected(bool on) { allowStreamedConnected_ = on; }
    TIBTransaction* DefaultTransaction() const { return defaultTransaction_; }
    void SetDefaultTransaction(TIBTransaction* t) { defaultTransaction_ = t; }

    bool Connected() const { return handle_ != 0; }
    // The error that lost the connection: the server did not answer in time
    // (EIBTimeout's text), or the server or the network dropped it. Once
    // lost, every statement on the connection raises that error again.
    std::optional<EIBError> LostReason() const;
    // On: attach ("Database name is missing", or the server's error).
    // Off: end every active transaction with its default action, free the
    // statements' handles, detach. Nothing happens when already so.
    void SetConnected(bool on);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // After the server or the network dropped the connection (a server
    // restart): may it be attached again without losing anything? Only when
    // no active transaction holds changes, which a new attachment could not
    // carry over; never after a time-out (the server may still be frozen,
    // and attaching would wait all over again) or while the program stops.
    bool MayReconnect() const;
    // Attaches again with the same parameters and starts again every
    // transaction that was active, as a fresh one; the statements' server
    // handles are dropped and prepared again at their next use. False when
    // the server cannot be reached: the connection then stays as it was,
    // lost, and the caller reports the loss itself, once. Call only when
    // MayReconnect().
    bool Reconnect();
    // Asks the server a question about the connection, which finds out
    // whether it still works; a connection found dropped is attached again
    // when MayReconnect(), or given up after a time-out (the caller knows
    // the server answers again). Raises the error when it does not work.
    void TestConnection();

    // "Cannot perform operation -- DB is not open" unless connected.
    void CheckActive() const;

    IBHandle* Handle() { return &handle_; }
    IBCharset Charset() const { return charset_; }
    const FbApi& Api() const { return api_; }

    void AddTransaction(TIBTransaction* t);
    void RemoveTransaction(TIBTransaction* t);
    void AddClient(IBDatabaseClient* c);
    void RemoveClient(IBDatabaseClient* c);

private:
    // A new attachment with the current settings ("Database name is
    // missing", or the server's error).
    IBHandle Attach();
    void Detach();
    // Lets go of a lost attachment; nothing is reported, the server has
    // already dropped it.
    void ReleaseLost();
    bool Reconnectable(bool afterTimeout) const;
    void AskServer();

    const FbApi& api_;
    QString databaseName_;
    QStringList params_;
    bool loginPrompt_ = true;
    int sqlDialect_ = 3;
    int idleTimer_ = 0;
    bool allowStreamedConnected_ = true;
    TIBTransaction* defaultTransaction_ = nullptr;
    IBHandle handle_ = 0;
    IBCharset charset_ = IBCharset::Win1252;
    std::vector<TIBTransaction*> transactions_;
    std::vector<IBDatabaseClient*> clients_;
};

class TIBTransaction {
public:
    enum class TAutoStopAction { saNone };
    enum class TTransactionAction { TACommit, TARollback };

    TIBTransaction();
    // An active transaction ends with its default action (commit); errors at
    // this point are dropped.
    ~TIBTransaction();
    TIBTransaction(const TIBTransaction&) = delete;
    TIBTransaction& operator=(const TIBTransaction&) = delete;

    TIBDatabase* DefaultDatabase() const { return database_; }
    void SetDefaultDatabase(TIBDatabase* db);
    // Words of the parameter block ("read_committed", "rec_version",
    // "nowait", ...); empty leaves the server's defaults.
    QStringList& Params() { return params_; }
    TAutoStopAction AutoStopAction() const { return autoStop_; }
    void SetAutoStopAction(TAutoStopAction a) { autoStop_ = a; }
    TTransactionAction DefaultAction() const { return defaultAction_; }
    void SetDefaultAction(TTransactionAction a) { defaultAction_ = a; }

    bool Active() const { return handle_ != 0; }
    // On while inactive starts; off while active rolls back; otherwise
    // nothing happens.
    void SetActive(bool on);
    void StartTransaction();
    void Commit();
    void Rollback();
    // Ends an active transaction with its default action.
    void EndWithDefaultAction();
    // Whether a statement that may have changed data ran in the active
    // transaction: work that a lost connection takes with it.
    bool HasChanges() const { return changes_; }
    // Called by statements before they run anything but a select.
    void NoteChange() { changes_ = true; }

    // "Transaction is not active" unless active.
    void CheckInTransaction() const;
    IBHandle* Handle() { return &handle_; }

    void AddClient(IBTransactionClient* c);
    void RemoveClient(IBTransactionClient* c);
    // Called by the database when it is destroyed.
    void DatabaseDestroyed() { database_ = nullptr; }

private:
    friend class TIBDatabase;
    void Start();
    // The connection is gone and the server has dropped the transaction with
    // it: forget the handle, report nothing. Its statements were told by the
    // connection already.
    void Abandon();
    QByteArray BuildTPB() const;
    void NotifyEnding();
    IBHandle DatabaseHandle();

    const FbApi& api_;
    TIBDatabase* database_ = nullptr;
    QStringList params_;
    TAutoStopAction autoStop_ = TAutoStopAction::saNone;
    TTransactionAction defaultAction_ = TTransactionAction::TACommit;
    IBHandle handle_ = 0;
    bool changes_ = false;
    std::vector<IBTransactionClient*> clients_;
};
