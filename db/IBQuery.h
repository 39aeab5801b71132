#pragma once
// Query datasets: a select whose rows are kept in memory, 1000 rows to a
// chunk, and read through typed fields. TIBQuery is the TDataSet the report
// engine walks. With fetching ahead switched on, an open query fetches its
// remaining rows on a reader thread of its own while the rows already there
// are read, so that a report lays out its pages while the server is still
// sending rows.
#include "DataSet.h"
#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBStatementOwner.h"

#include <QStringList>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class IBStatement;
class TIBQuery;
struct IBCell;

class TIBField : public TField {
public:
    enum class Kind {
        String,
        Smallint,
        Integer,
        Largeint,
        BCD,
        Float,
        Date,
        Time,
        DateTime,
        Memo,
        Blob,
        Boolean
    };

    TIBField(TIBQuery& owner, QString name, Kind kind)
        : owner_(owner), name_(std::move(name)), kind_(kind) {}
    QString FieldName() const override { return name_; }
    const QString& Name() const { return name_; }
    bool IsNull() const override;
    QString AsString() const override;
    // With a display format: numbers and dates through it; without: the
    // plain text (a date field its short date). Null shows as empty text.
    QString DisplayText() const override;
    std::int32_t AsInteger() const override;
    std::int64_t AsCurrency() const override;
    double AsDateTime() const override;
    double AsFloat() const override;
    std::int64_t AsLargeInt() const;
    QByteArray AsBytes() const;

    Kind DataKind() const { return kind_; }
    QString DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& format) { displayFormat_ = format; }
    // The result column this field reads, -1 while the query is closed.
    int ColumnIndex() const { return column_; }
    void Bind(int column) { column_ = column; }

private:
    IBCell Cell() const;
    TIBQuery& owner_;
    QString name_;
    Kind kind_;
    QString displayFormat_;
    int column_ = -1;
};

class TIBStringField : public TIBField {
public:
    TIBStringField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::String) {}
};
class TSmallintField : public TIBField {
public:
    TSmallintField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::Smallint) {}
};
class TIntegerField : public TIBField {
public:
    TIntegerField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::Integer) {}
};
class TLargeintField : public TIBField {
public:
    TLargeintField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::Largeint) {}
};
class TIBBCDField : public TIBField {
public:
    TIBBCDField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::BCD) {}
};
class TFloatField : public TIBField {
public:
    TFloatField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::Float) {}
};
class TDateField : public TIBField {
public:
    TDateField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::Date) {}
};
class TTimeField : public TIBField {
public:
    TTimeField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::Time) {}
};
class TDateTimeField : public TIBField {
public:
    TDateTimeField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::DateTime) {}
};
class TMemoField : public TIBField {
public:
    TMemoField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::Memo) {}
};
class TBlobField : public TIBField {
public:
    TBlobField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::Blob) {}
};
class TBooleanField : public TIBField {
public:
    TBooleanField(TIBQuery& q, QString name) : TIBField(q, std::move(name), Kind::Boolean) {}
};

class TIBQuery final : public TDataSet, public IBStatementOwner {
public:
    static constexpr int BufferChunks = 1000;

    TIBQuery();
    ~TIBQuery() override;
    TIBQuery(const TIBQuery&) = delete;
    TIBQuery& operator=(const TIBQuery&) = delete;

    QStringList SQL() const { return sql_; }
    // Replaces the text; an open query is closed first.
    void SetSQL(const QStringList& lines);
    void SetSQL(const QString& text) { SetSQL(QStringList{text}); }
    TIBXSQLParam ParamByName(const QString& name);
    TIBXSQLParam Params(int index);

    // A persistent field: kept across opens and bound by name to its column
    // when the query opens (which fails with 'Field "NAME" not found' when the
    // result has no such column).
    template <typename F> F& AddField(const QString& name) {
        auto field = std::make_unique<F>(*this, name);
        F& ref = *field;
        persistent_.push_back(std::move(field));
        return ref;
    }

    void Open();
    void Close() override;
    void SetActive(bool on) { on ? Open() : Close(); }
    // Fetches every remaining row into the buffer.
    void FetchAll();

    // Whether queries opened from now on fetch ahead on a reader thread
    // (off until switched on). Only where no window waits on the opening
    // thread: a query opened under a wait pump fetches as it is read, so the
    // pump keeps running during every wait for the server.
    static void SetFetchAhead(bool on);
    static bool FetchAhead();

    bool Active() const override { return active_; }
    void First() override;
    void Next() override;
    bool Eof() const override { return eof_; }
    // The rows read so far (every row after FetchAll or once Eof); rows a
    // reader thread fetched ahead count once they are reached.
    int RecordCount() const override { return known_; }
    TField* FindField(const QString& name) const override;
    // 'Field "NAME" not found' when absent.
    TIBField& FieldByName(const QString& name) const;
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TIBField& Fields(int index) const { return *fields_[static_cast<std::size_t>(index)]; }
    int RecNo() const { return current_; }

private:
    friend class TIBField;
    IBCell CellAt(int column) const;
    void OpenOnce();
    bool FetchRow();
    // Makes the row after the known ones known: from the reader thread's
    // rows (waiting for it) or fetched here. False past the last row.
    bool NextKnownRow();
    void PointAtCurrentRow();
    void StartReader();
    void ReadAhead();
    void StopReader();
    void CreateFields();
    bool RowsPending() override;

    TIBTransaction* openTransaction_ = nullptr;
    QStringList sql_;
    bool active_ = false;
    bool eof_ = true;
    int current_ = -1;
    int known_ = 0;             // rows the reading side has reached
    const char* row_ = nullptr; // the current row
    int rowSize_ = 0;
    // Written by whoever fetches (the reader thread while it runs), under
    // rowsMutex_: the rows fetched, their chunks and their blobs. A chunk
    // never moves once made, so a row's address stays good without the lock.
    mutable std::mutex rowsMutex_;
    std::condition_variable rowsChanged_;
    int count_ = 0;
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::vector<QByteArray> blobStore_;
    std::thread reader_;
    bool readerStop_ = false;        // under rowsMutex_
    bool readerDone_ = false;        // under rowsMutex_
    std::exception_ptr readerError_; // under rowsMutex_
    std::vector<int> blobColumns_;
    std::vector<std::unique_ptr<TIBField>> persistent_;
    std::vector<std::unique_ptr<TIBField>> dynamic_;
    std::vector<TIBField*> fields_;
    IBBlobReader blobs_;
};
