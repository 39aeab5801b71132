#pragma once
// What the two statement components, TIBSQL and TIBQuery, keep alike: their
// database and transaction, to which each is a client so that it closes when
// they disconnect, end or go away; the transaction a statement runs in; and
// one more try of a call on a new attachment after the server dropped the
// connection.
#include "IBDatabase.h"
#include "IBError.h"

#include <functional>
#include <memory>
#include <optional>

class IBStatement;

class IBStatementOwner : protected IBDatabaseClient, protected IBTransactionClient {
public:
    IBStatementOwner(const IBStatementOwner&) = delete;
    IBStatementOwner& operator=(const IBStatementOwner&) = delete;

    TIBDatabase* Database() const { return database_; }
    void SetDatabase(TIBDatabase* db);
    // Without one, the database's default transaction is used.
    TIBTransaction* Transaction() const { return transaction_; }
    void SetTransaction(TIBTransaction* t);

    // The component's own close: cursor, rows and state.
    virtual void Close() = 0;

protected:
    IBStatementOwner();
    ~IBStatementOwner();

    // Called first by the components' destructors, while Close is still theirs.
    void Detach();
    TIBTransaction* EffectiveTransaction() const;

    // Runs the call. When it fails and the database may attach again (no
    // transaction holds changes, so nothing is lost or done twice), closes,
    // attaches again and runs it once more; when the server is still away
    // the first failure is what is raised.
    void RepeatOnceAfterReconnect(const std::function<void()>& call);

    // Called when the connection was attached anew: ends any reading still
    // under way on the old cursor, and says whether it still had rows to
    // give. Those rows are gone; asking for them raises the loss (cutOff_).
    virtual bool RowsPending() = 0;
    void DatabaseDisconnecting() override;

    std::unique_ptr<IBStatement> statement_;
    TIBDatabase* database_ = nullptr;
    TIBTransaction* transaction_ = nullptr;
    std::optional<EIBError> cutOff_;

private:
    void DatabaseDestroyed() override;
    void DatabaseReattached(const EIBError& lost) override;
    void TransactionEnding() override;
    void TransactionDestroyed() override;
};
