#include "IBSQL.h"

#include "FbClient.h"
#include "IBError.h"
#include "IBStatement.h"

namespace {

[[noreturn]] void FieldNotFound(const QString& what) {
    throw EIBError(QString::fromLatin1(IBText::FieldNotFound).arg(what));
}

} // namespace

// ---------------------------------------------------------------- params

void TIBXSQLParam::Set(const IBParamValue& v) {
    for (int i : indexes_) {
        statement_->Params()[static_cast<std::size_t>(i)] = v;
    }
}

void TIBXSQLParam::SetAsInteger(std::int32_t v) {
    IBParamValue p;
    p.kind = IBParamValue::Kind::Int32;
    p.i = v;
    Set(p);
}

void TIBXSQLParam::SetAsInt64(std::int64_t v) {
    IBParamValue p;
    p.kind = IBParamValue::Kind::Int64;
    p.i = v;
    Set(p);
}

void TIBXSQLParam::SetAsCurrency(std::int64_t v) {
    IBParamValue p;
    p.kind = IBParamValue::Kind::Currency;
    p.i = v;
    Set(p);
}

void TIBXSQLParam::SetAsDouble(double v) {
    IBParamValue p;
    p.kind = IBParamValue::Kind::Double;
    p.d = v;
    Set(p);
}

void TIBXSQLParam::SetAsString(const QString& v) {
    IBParamValue p;
    p.kind = IBParamValue::Kind::Text;
    p.s = v;
    Set(p);
}

void TIBXSQLParam::SetAsDateTime(double v) {
    IBParamValue p;
    p.kind = IBParamValue::Kind::DateTime;
    p.d = v;
    Set(p);
}

void TIBXSQLParam::Clear() {
    Set(IBParamValue{});
}

// ---------------------------------------------------------------- columns

namespace {

IBCell CellOf(const IBStatement& s, int index, bool hasRow, const IBBlobReader& blobs) {
    IBCell cell;
    cell.column = &s.Columns()[static_cast<std::size_t>(index)];
    cell.row = hasRow ? s.Row() : nullptr;
    cell.charset = s.Charset();
    cell.blobs = &blobs;
    return cell;
}

} // namespace

IBCell TIBXSQLVAR::Cell() const {
    return CellOf(*owner_->statement_, index_, owner_->hasRow_, owner_->blobs_);
}

QString TIBXSQLVAR::Name() const {
    return owner_->statement_->Columns()[static_cast<std::size_t>(index_)].name;
}
bool TIBXSQLVAR::IsNull() const {
    return Cell().IsNull();
}
QString TIBXSQLVAR::AsString() const {
    return Cell().AsString();
}
std::int32_t TIBXSQLVAR::AsInteger() const {
    return Cell().AsInteger();
}
std::int64_t TIBXSQLVAR::AsInt64() const {
    return Cell().AsInt64();
}
std::int64_t TIBXSQLVAR::AsCurrency() const {
    return Cell().AsCurrency();
}
double TIBXSQLVAR::AsDateTime() const {
    return Cell().AsDateTime();
}
double TIBXSQLVAR::AsFloat() const {
    return static_cast<float>(Cell().AsDouble());
}
double TIBXSQLVAR::AsDouble() const {
    return Cell().AsDouble();
}
QByteArray TIBXSQLVAR::AsBytes() const {
    return Cell().AsBytes();
}

// ---------------------------------------------------------------- statement

TIBSQL::TIBSQL() {
    blobs_ = [this](const char* id) {
        TIBTransaction* t =
            cursorTransaction_ != nullptr ? cursorTransaction_ : EffectiveTransaction();
        if (t == nullptr) {
            throw EIBError(QString::fromLatin1(IBText::TransactionNotAssigned));
        }
        t->CheckInTransaction();
        return statement_->ReadBlob(t->Handle(), id);
    };
}

TIBSQL::~TIBSQL() {
    Detach();
}

void TIBSQL::SetParamCheck(bool on) {
    paramCheck_ = on;
    statement_->SetText(statement_->Text(), on);
}

QString TIBSQL::SQL() const {
    return statement_->Text();
}

void TIBSQL::SetSQL(const QString& text) {
    statement_->SetText(text, paramCheck_);
}

TIBXSQLParam TIBSQL::ParamByName(const QString& name) {
    std::vector<int> found = statement_->FindParam(name);
    if (found.empty()) {
        FieldNotFound(name);
    }
    return TIBXSQLParam(*statement_, std::move(found));
}

TIBXSQLParam TIBSQL::Params(int index) {
    if (index < 0 || index >= ParamCount()) {
        FieldNotFound(QString::number(index));
    }
    return TIBXSQLParam(*statement_, {index});
}

int TIBSQL::ParamCount() const {
    return static_cast<int>(statement_->Params().size());
}

bool TIBSQL::Prepared() const {
    return statement_->Prepared();
}

void TIBSQL::Prepare() {
    if (database_ == nullptr) {
        throw EIBError(QString::fromLatin1(IBText::DatabaseNotAssigned));
    }
    database_->CheckActive();
    TIBTransaction* t = EffectiveTransaction();
    if (t == nullptr) {
        throw EIBError(QString::fromLatin1(IBText::TransactionNotAssigned));
    }
    t->CheckInTransaction();
    if (!statement_->Prepared()) {
        hasRow_ = false;
        statement_->Prepare(database_->Handle(), t->Handle(),
                            static_cast<unsigned short>(database_->SQLDialect()),
                            database_->Charset());
    }
}

void TIBSQL::ExecQuery() {
    if (open_) {
        throw EIBError(QString::fromLatin1(IBText::SQLOpen));
    }
    // A connection the server dropped (a restart) is attached again once
    // and the statement repeated, when that loses nothing and does nothing
    // twice: no transaction holds changes, which also rules out a write that
    // reached the server (it counts as a change before it is sent).
    RepeatOnceAfterReconnect([this] { Execute(); });
}

void TIBSQL::Execute() {
    Prepare();
    TIBTransaction* t = EffectiveTransaction();
    // Checked again: a prepared statement may outlive its transaction.
    database_->CheckActive();
    t->CheckInTransaction();
    // No value of an earlier execution may show through a select that
    // returns nothing.
    hasRow_ = false;
    if (!statement_->IsSelect()) {
        t->NoteChange();
    }
    statement_->Execute(t->Handle());
    if (statement_->IsSelect()) {
        open_ = true;
        bof_ = true;
        eof_ = false;
        cursorTransaction_ = t;
        if (t != transaction_) {
            t->AddClient(this);
        }
        Next();
    } else {
        hasRow_ = statement_->Type() == isc_info_sql_stmt_exec_procedure &&
                  !statement_->Columns().empty();
        eof_ = !hasRow_;
    }
}

void TIBSQL::Next() {
    if (!open_ || eof_) {
        return;
    }
    if (cutOff_) {
        throw *cutOff_;
    }
    if (statement_->Fetch()) {
        hasRow_ = true;
    } else {
        eof_ = true;
    }
    if (!bof_ || hasRow_) {
        bof_ = false;
    }
}

void TIBSQL::Close() {
    if (open_) {
        statement_->CloseCursor();
        if (cursorTransaction_ != nullptr && cursorTransaction_ != transaction_) {
            cursorTransaction_->RemoveClient(this);
        }
        cursorTransaction_ = nullptr;
    }
    open_ = false;
    eof_ = false;
    bof_ = false;
    cutOff_.reset();
}

int TIBSQL::FieldCount() const {
    return static_cast<int>(statement_->Columns().size());
}

TIBXSQLVAR TIBSQL::Fields(int index) const {
    if (index < 0 || index >= FieldCount()) {
        FieldNotFound(QString::number(index));
    }
    return TIBXSQLVAR(*this, index);
}

int TIBSQL::FieldIndex(const QString& name) const {
    const auto& cols = statement_->Columns();
    for (int i = 0; i < static_cast<int>(cols.size()); ++i) {
        if (cols[static_cast<std::size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

TIBXSQLVAR TIBSQL::FieldByName(const QString& name) const {
    int i = FieldIndex(name);
    if (i < 0) {
        FieldNotFound(name);
    }
    return TIBXSQLVAR(*this, i);
}

void TIBSQL::DatabaseDisconnecting() {
    IBStatementOwner::DatabaseDisconnecting();
    hasRow_ = false;
}

bool TIBSQL::RowsPending() {
    // The current row stays readable: it lives in the statement's buffer.
    return open_ && !eof_;
}
