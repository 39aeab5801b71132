#pragma once
// Query datasets: a select whose rows are kept in memory, 1000 rows to a
// chunk, and read through typed fields. TIBQuery is the TDataSet the report
// engine walks.
#include "DataSet.h"
#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBStatementOwner.h"

#include <QStringList>
#include <memory>
#include <optional>
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

    bool Active() const override { return active_; }
    void First() override;
    void Next() override;
    bool Eof() const override { return eof_; }
    // The rows fetched so far (every row after FetchAll or once Eof).
    int RecordCount() const override { return count_; }
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
    void CreateFields();
    bool RowsPending() const override;

    TIBTransaction* openTransaction_ = nullptr;
    QStringList sql_;
    bool active_ = false;
    bool eof_ = true;
    int current_ = -1;
    int count_ = 0;
    int rowSize_ = 0;
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::vector<QByteArray> blobStore_;
    std::vector<int> blobColumns_;
    std::vector<std::unique_ptr<TIBField>> persistent_;
    std::vector<std::unique_ptr<TIBField>> dynamic_;
    std::vector<TIBField*> fields_;
    IBBlobReader blobs_;
};
