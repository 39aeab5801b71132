#pragma once
// Single statements: close, set the text, set parameters, execute, read the
// current row's columns, step to the next row.
#include "IBDatabase.h"
#include "IBStatementOwner.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class IBStatement;
class TIBSQL;
struct IBCell;
struct IBParamValue;

// Sets one parameter, or every parameter sharing a name. Setting a value
// clears the null state.
class TIBXSQLParam {
public:
    TIBXSQLParam(IBStatement& statement, std::vector<int> indexes)
        : statement_(&statement), indexes_(std::move(indexes)) {}
    void SetAsInteger(std::int32_t v);
    void SetAsInt64(std::int64_t v);
    // Ten-thousandths, as a currency value.
    void SetAsCurrency(std::int64_t v);
    void SetAsDouble(double v);
    void SetAsString(const QString& v);
    void SetAsDateTime(double v);
    void Clear();

private:
    void Set(const IBParamValue& v);
    IBStatement* statement_;
    std::vector<int> indexes_;
};

// One column of the current row. Null reads as 0, an empty text or date 0.
class TIBXSQLVAR {
public:
    TIBXSQLVAR(const TIBSQL& owner, int index) : owner_(&owner), index_(index) {}
    QString Name() const;
    bool IsNull() const;
    QString AsString() const;
    std::int32_t AsInteger() const;
    std::int64_t AsInt64() const;
    std::int64_t AsCurrency() const;
    double AsDateTime() const;
    // Single precision, as the column reader has always given it.
    double AsFloat() const;
    double AsDouble() const;
    QByteArray AsBytes() const;

private:
    IBCell Cell() const;
    const TIBSQL* owner_;
    int index_;
};

class TIBSQL final : public IBStatementOwner {
public:
    TIBSQL();
    ~TIBSQL();
    TIBSQL(const TIBSQL&) = delete;
    TIBSQL& operator=(const TIBSQL&) = delete;

    bool ParamCheck() const { return paramCheck_; }
    void SetParamCheck(bool on);

    QString SQL() const;
    // Discards the prepared form; an open statement stays open.
    void SetSQL(const QString& text);

    TIBXSQLParam ParamByName(const QString& name);
    TIBXSQLParam Params(int index);
    int ParamCount() const;

    // "IBSQL Open" when still open; prepares on first use; a select opens
    // its cursor and fetches the first row.
    void ExecQuery();
    void Prepare();
    bool Prepared() const;
    // Closes the cursor and clears the row state; nothing when closed.
    void Close() override;
    bool Open() const { return open_; }
    // Fetches the next row; past the last one Eof() becomes true.
    void Next();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }

    int FieldCount() const;
    // 'Field "n" not found' outside the result.
    TIBXSQLVAR Fields(int index) const;
    TIBXSQLVAR FieldByName(const QString& name) const;
    int FieldIndex(const QString& name) const; // -1 when absent

private:
    friend class TIBXSQLVAR;
    void DatabaseDisconnecting() override;
    bool RowsPending() override;
    void Execute();

    TIBTransaction* cursorTransaction_ = nullptr;
    bool paramCheck_ = true;
    bool open_ = false;
    bool eof_ = false;
    bool bof_ = false;
    bool hasRow_ = false;
    IBBlobReader blobs_;
};
