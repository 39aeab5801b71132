#include "IBStatementOwner.h"

#include "FbClient.h"
#include "IBStatement.h"

IBStatementOwner::IBStatementOwner() : statement_(std::make_unique<IBStatement>(FbClient::Api())) {}

IBStatementOwner::~IBStatementOwner() = default;

void IBStatementOwner::Detach() {
    Close();
    statement_->Drop();
    SetTransaction(nullptr);
    SetDatabase(nullptr);
}

void IBStatementOwner::SetDatabase(TIBDatabase* db) {
    if (db == database_) {
        return;
    }
    if (database_ != nullptr) {
        Close();
        statement_->Drop();
        database_->RemoveClient(this);
    }
    database_ = db;
    if (database_ != nullptr) {
        database_->AddClient(this);
    }
}

void IBStatementOwner::SetTransaction(TIBTransaction* t) {
    if (t == transaction_) {
        return;
    }
    if (transaction_ != nullptr) {
        Close();
        transaction_->RemoveClient(this);
    }
    transaction_ = t;
    if (transaction_ != nullptr) {
        transaction_->AddClient(this);
    }
}

TIBTransaction* IBStatementOwner::EffectiveTransaction() const {
    if (transaction_ != nullptr) {
        return transaction_;
    }
    return database_ != nullptr ? database_->DefaultTransaction() : nullptr;
}

void IBStatementOwner::RepeatOnceAfterReconnect(const std::function<void()>& call) {
    try {
        call();
    } catch (const EIBError&) {
        if (database_ == nullptr || !database_->MayReconnect()) {
            throw;
        }
        Close();
        if (!database_->Reconnect()) {
            throw; // the server is still away: the loss is what is said
        }
        call();
    }
}

void IBStatementOwner::DatabaseDisconnecting() {
    Close();
    statement_->Drop();
}

void IBStatementOwner::DatabaseDestroyed() {
    DatabaseDisconnecting();
    database_ = nullptr;
}

void IBStatementOwner::DatabaseReattached(const EIBError& lost) {
    if (RowsPending()) {
        cutOff_ = lost;
    }
    statement_->Drop();
}

void IBStatementOwner::TransactionEnding() {
    Close();
}

void IBStatementOwner::TransactionDestroyed() {
    Close();
    transaction_ = nullptr;
}
