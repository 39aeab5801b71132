#include "IBQuery.h"

#include "FbClient.h"
#include "FieldFormat.h"
#include "IBError.h"
#include "IBStatement.h"

#include <atomic>
#include <cstring>

namespace {

[[noreturn]] void FieldNotFound(const QString& what) {
    throw EIBError(QString::fromLatin1(IBText::FieldNotFound).arg(what));
}

TIBField::Kind KindOf(const IBColumn& c) {
    using K = TIBField::Kind;
    switch (c.type) {
    case SQL_TEXT:
    case SQL_VARYING:
        return K::String;
    case SQL_SHORT:
        return c.scale < 0 ? K::BCD : K::Smallint;
    case SQL_LONG:
        return c.scale < 0 ? K::BCD : K::Integer;
    case SQL_INT64:
        return c.scale < 0 ? K::BCD : K::Largeint;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return K::Float;
    case SQL_TYPE_DATE:
        return K::Date;
    case SQL_TYPE_TIME:
        return K::Time;
    case SQL_TIMESTAMP:
        return K::DateTime;
    case SQL_BLOB:
        return c.subType == 1 ? K::Memo : K::Blob;
    case SQL_BOOLEAN:
        return K::Boolean;
    default:
        return K::Blob;
    }
}

std::unique_ptr<TIBField> MakeField(TIBQuery& q, const QString& name, TIBField::Kind kind) {
    using K = TIBField::Kind;
    switch (kind) {
    case K::String:
        return std::make_unique<TIBStringField>(q, name);
    case K::Smallint:
        return std::make_unique<TSmallintField>(q, name);
    case K::Integer:
        return std::make_unique<TIntegerField>(q, name);
    case K::Largeint:
        return std::make_unique<TLargeintField>(q, name);
    case K::BCD:
        return std::make_unique<TIBBCDField>(q, name);
    case K::Float:
        return std::make_unique<TFloatField>(q, name);
    case K::Date:
        return std::make_unique<TDateField>(q, name);
    case K::Time:
        return std::make_unique<TTimeField>(q, name);
    case K::DateTime:
        return std::make_unique<TDateTimeField>(q, name);
    case K::Memo:
        return std::make_unique<TMemoField>(q, name);
    case K::Boolean:
        return std::make_unique<TBooleanField>(q, name);
    case K::Blob:
        break;
    }
    return std::make_unique<TBlobField>(q, name);
}

std::atomic<bool> fetchAhead = false;

} // namespace

// ---------------------------------------------------------------- fields

IBCell TIBField::Cell() const {
    return owner_.CellAt(column_);
}

bool TIBField::IsNull() const {
    return Cell().IsNull();
}

QString TIBField::AsString() const {
    return Cell().AsString();
}

std::int32_t TIBField::AsInteger() const {
    return Cell().AsInteger();
}

std::int64_t TIBField::AsLargeInt() const {
    return Cell().AsInt64();
}

std::int64_t TIBField::AsCurrency() const {
    return Cell().AsCurrency();
}

double TIBField::AsDateTime() const {
    return Cell().AsDateTime();
}

double TIBField::AsFloat() const {
    return Cell().AsDouble();
}

QByteArray TIBField::AsBytes() const {
    return Cell().AsBytes();
}

QString TIBField::DisplayText() const {
    IBCell cell = Cell();
    if (cell.IsNull()) {
        return {};
    }
    switch (kind_) {
    case Kind::BCD:
        if (displayFormat_.isEmpty()) {
            return cell.AsString();
        }
        try {
            return FieldFormat::FixedText(displayFormat_, cell.AsCurrency());
        } catch (const Exception&) {
            return QStringLiteral("(Overflow)");
        }
    case Kind::Smallint:
    case Kind::Integer:
    case Kind::Largeint:
    case Kind::Float:
        if (displayFormat_.isEmpty()) {
            return cell.AsString();
        }
        return FieldFormat::NumberText(displayFormat_, static_cast<long double>(cell.AsDouble()));
    case Kind::Date:
        return displayFormat_.isEmpty() ? FieldFormat::PlainDate(cell.AsDateTime())
                                        : FieldFormat::DateText(displayFormat_, cell.AsDateTime());
    case Kind::Time:
        return displayFormat_.isEmpty() ? FieldFormat::PlainTime(cell.AsDateTime())
                                        : FieldFormat::DateText(displayFormat_, cell.AsDateTime());
    case Kind::DateTime:
        return FieldFormat::DateText(displayFormat_, cell.AsDateTime());
    default:
        return cell.AsString();
    }
}

// ---------------------------------------------------------------- query

TIBQuery::TIBQuery() {
    blobs_ = [this](const char* slot) {
        std::int64_t index = 0;
        std::memcpy(&index, slot, sizeof index);
        const std::lock_guard<std::mutex> lock(rowsMutex_);
        return blobStore_[static_cast<std::size_t>(index)];
    };
}

TIBQuery::~TIBQuery() {
    Detach();
}

void TIBQuery::SetSQL(const QStringList& lines) {
    Close();
    sql_ = lines;
    statement_->SetText(lines.join(u'\n'), true);
}

TIBXSQLParam TIBQuery::ParamByName(const QString& name) {
    std::vector<int> found = statement_->FindParam(name);
    if (found.empty()) {
        FieldNotFound(name);
    }
    return TIBXSQLParam(*statement_, std::move(found));
}

TIBXSQLParam TIBQuery::Params(int index) {
    if (index < 0 || index >= static_cast<int>(statement_->Params().size())) {
        FieldNotFound(QString::number(index));
    }
    return TIBXSQLParam(*statement_, {index});
}

void TIBQuery::Open() {
    if (active_) {
        return;
    }
    // A select that found the connection dropped is repeated once on a new
    // attachment, as a single statement is.
    RepeatOnceAfterReconnect([this] { OpenOnce(); });
}

void TIBQuery::OpenOnce() {
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
        statement_->Prepare(database_->Handle(), t->Handle(),
                            static_cast<unsigned short>(database_->SQLDialect()),
                            database_->Charset());
    }
    if (!statement_->IsSelect()) {
        throw EIBError(QString::fromLatin1(IBText::NotASelect));
    }
    CreateFields();
    statement_->Execute(t->Handle());
    openTransaction_ = t;
    if (t != transaction_) {
        t->AddClient(this);
    }
    active_ = true;
    rowSize_ = statement_->RowSize();
    count_ = 0;
    known_ = 0;
    current_ = -1;
    try {
        eof_ = !NextKnownRow();
    } catch (...) {
        Close();
        throw;
    }
    current_ = known_ > 0 ? 0 : -1;
    PointAtCurrentRow();
    // The first row is there: the statement ran and its errors are raised
    // here, as without a reader.
    if (!eof_ && fetchAhead && TDataWaitPump::Current() == nullptr) {
        StartReader();
    }
}

void TIBQuery::SetFetchAhead(bool on) {
    fetchAhead = on;
}

bool TIBQuery::FetchAhead() {
    return fetchAhead;
}

void TIBQuery::StartReader() {
    readerStop_ = false;
    readerDone_ = false;
    readerError_ = nullptr;
    reader_ = std::thread([this] { ReadAhead(); });
}

// The reader thread: fetches until the last row, an error, or a stop. Its
// calls go through the same bounded waits as every other call, so a stopping
// program or a lost server ends it too; its error waits for the reading side
// at the row it could not fetch.
void TIBQuery::ReadAhead() {
    std::exception_ptr error;
    try {
        for (;;) {
            {
                const std::lock_guard<std::mutex> lock(rowsMutex_);
                if (readerStop_) {
                    break;
                }
            }
            if (!FetchRow()) {
                break;
            }
        }
    } catch (...) {
        error = std::current_exception();
    }
    const std::lock_guard<std::mutex> lock(rowsMutex_);
    readerError_ = error;
    readerDone_ = true;
    rowsChanged_.notify_all();
}

void TIBQuery::StopReader() {
    if (!reader_.joinable()) {
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(rowsMutex_);
        readerStop_ = true;
    }
    reader_.join();
}

bool TIBQuery::NextKnownRow() {
    if (!reader_.joinable()) {
        // Rows a reader stopped early had already fetched come first.
        if (count_ > known_) {
            ++known_;
            return true;
        }
        if (!FetchRow()) {
            return false;
        }
        ++known_;
        return true;
    }
    std::unique_lock<std::mutex> lock(rowsMutex_);
    rowsChanged_.wait(lock, [&] { return count_ > known_ || readerDone_; });
    if (count_ > known_) {
        ++known_;
        return true;
    }
    std::exception_ptr error = std::exchange(readerError_, nullptr);
    lock.unlock();
    reader_.join();
    if (error) {
        std::rethrow_exception(error);
    }
    return false;
}

void TIBQuery::PointAtCurrentRow() {
    if (current_ < 0) {
        row_ = nullptr;
        return;
    }
    const std::size_t chunk = static_cast<std::size_t>(current_ / BufferChunks);
    const std::size_t slot = static_cast<std::size_t>(current_ % BufferChunks);
    const std::lock_guard<std::mutex> lock(rowsMutex_);
    row_ = chunks_[chunk].get() + slot * static_cast<std::size_t>(rowSize_);
}

void TIBQuery::CreateFields() {
    const auto& cols = statement_->Columns();
    fields_.clear();
    dynamic_.clear();
    blobColumns_.clear();
    for (auto& f : persistent_) {
        f->Bind(-1);
    }
    for (int i = 0; i < static_cast<int>(cols.size()); ++i) {
        const IBColumn& c = cols[static_cast<std::size_t>(i)];
        if (c.type == SQL_BLOB) {
            blobColumns_.push_back(i);
        }
        TIBField* field = nullptr;
        for (auto& f : persistent_) {
            if (f->ColumnIndex() < 0 && f->FieldName().compare(c.name, Qt::CaseInsensitive) == 0) {
                field = f.get();
                break;
            }
        }
        if (field == nullptr) {
            dynamic_.push_back(MakeField(*this, c.name, KindOf(c)));
            field = dynamic_.back().get();
        }
        field->Bind(i);
        fields_.push_back(field);
    }
    for (auto& f : persistent_) {
        if (f->ColumnIndex() < 0) {
            FieldNotFound(f->FieldName());
        }
    }
}

bool TIBQuery::FetchRow() {
    if (cutOff_) {
        throw *cutOff_;
    }
    if (!statement_->CursorOpen()) {
        return false;
    }
    if (!statement_->Fetch()) {
        statement_->CloseCursor();
        return false;
    }
    // Only the fetching side changes count_, so it reads it without the lock.
    const std::size_t slotInChunk = static_cast<std::size_t>(count_ % BufferChunks);
    char* slot = nullptr;
    if (slotInChunk == 0) {
        // The buffer grows by whole chunks of rows, never row by row; every
        // byte of a row is copied in, so a chunk needs no clearing first.
        auto chunk = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(rowSize_) *
                                                            BufferChunks);
        slot = chunk.get();
        const std::lock_guard<std::mutex> lock(rowsMutex_);
        chunks_.push_back(std::move(chunk));
    } else {
        const std::lock_guard<std::mutex> lock(rowsMutex_);
        slot = chunks_.back().get() + slotInChunk * static_cast<std::size_t>(rowSize_);
    }
    std::memcpy(slot, statement_->Row(), static_cast<std::size_t>(rowSize_));
    // Blobs are read whole now, while the transaction is surely active; the
    // row keeps the blob's index in the store in place of its id.
    for (int i : blobColumns_) {
        const IBColumn& c = statement_->Columns()[static_cast<std::size_t>(i)];
        std::int16_t null = 0;
        std::memcpy(&null, slot + c.nullOffset, sizeof null);
        if (null < 0) {
            continue;
        }
        QByteArray blob = statement_->ReadBlob(openTransaction_->Handle(), slot + c.offset);
        std::int64_t index = 0;
        {
            const std::lock_guard<std::mutex> lock(rowsMutex_);
            blobStore_.push_back(std::move(blob));
            index = static_cast<std::int64_t>(blobStore_.size() - 1);
        }
        std::memcpy(slot + c.offset, &index, sizeof index);
    }
    const std::lock_guard<std::mutex> lock(rowsMutex_);
    ++count_;
    rowsChanged_.notify_all();
    return true;
}

void TIBQuery::FetchAll() {
    while (active_ && NextKnownRow()) {
    }
}

void TIBQuery::First() {
    if (!active_) {
        return;
    }
    current_ = known_ > 0 ? 0 : -1;
    eof_ = known_ == 0;
    PointAtCurrentRow();
}

void TIBQuery::Next() {
    if (!active_ || eof_) {
        return;
    }
    if (current_ + 1 < known_ || NextKnownRow()) {
        ++current_;
        PointAtCurrentRow();
    } else {
        eof_ = true;
    }
}

void TIBQuery::Close() {
    if (!active_) {
        return;
    }
    StopReader();
    statement_->CloseCursor();
    if (openTransaction_ != nullptr && openTransaction_ != transaction_) {
        openTransaction_->RemoveClient(this);
    }
    openTransaction_ = nullptr;
    cutOff_.reset();
    active_ = false;
    eof_ = true;
    current_ = -1;
    row_ = nullptr;
    known_ = 0;
    count_ = 0;
    chunks_.clear();
    chunks_.shrink_to_fit();
    blobStore_.clear();
    blobStore_.shrink_to_fit();
    fields_.clear();
    dynamic_.clear();
    for (auto& f : persistent_) {
        f->Bind(-1);
    }
}

IBCell TIBQuery::CellAt(int column) const {
    IBCell cell;
    if (column < 0) {
        // A closed query: its fields read as null; the column description
        // is only consulted for non-null values.
        static const IBColumn kNone;
        cell.column = &kNone;
        return cell;
    }
    cell.column = &statement_->Columns()[static_cast<std::size_t>(column)];
    cell.charset = statement_->Charset();
    cell.blobs = &blobs_;
    if (active_) {
        cell.row = row_;
    }
    return cell;
}

TField* TIBQuery::FindField(const QString& name) const {
    for (TIBField* f : fields_) {
        // Names that differ in length never match, whatever their case;
        // printing looks fields up by name for every value it shows.
        const QString& fieldName = f->Name();
        if (fieldName.size() == name.size() &&
            (fieldName == name || fieldName.compare(name, Qt::CaseInsensitive) == 0)) {
            return f;
        }
    }
    return nullptr;
}

TIBField& TIBQuery::FieldByName(const QString& name) const {
    for (TIBField* f : fields_) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) {
            return *f;
        }
    }
    for (const auto& f : persistent_) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) {
            return *f;
        }
    }
    FieldNotFound(name);
}

bool TIBQuery::RowsPending() {
    // The rows already buffered stay readable; the reader thread must not
    // touch the statement while the old attachment's handles are dropped.
    StopReader();
    return active_ && statement_->CursorOpen();
}
