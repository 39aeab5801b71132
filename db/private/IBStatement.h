#pragma once
// Private to db/: what TIBSQL and TIBQuery share. One prepared statement of
// the client library with its descriptor areas, the row buffer the library
// fetches into, the parameter values and the named-parameter translation.
#include "FbClient.h"
#include "IBCall.h"
#include "IBValue.h"

#include <QString>
#include <memory>
#include <vector>

// Raises the status vector as EIBError when it holds an error.
void IBCheck(const FbApi& api, const ISC_STATUS* status);
// The status vector's messages, joined by CR LF, without the final stop.
QString IBStatusText(const FbApi& api, const ISC_STATUS* status);

// The text sent to the server: each ":name" outside quotes and comments
// becomes "?", and the names are listed in order of appearance ("" for a
// "?" written as such).
struct IBParsedSQL {
    QString text;
    std::vector<QString> names;
};
IBParsedSQL IBParseParams(const QString& sql);

struct IBParamValue {
    enum class Kind { Null, Int32, Int64, Currency, Double, Text, DateTime };
    Kind kind = Kind::Null;
    std::int64_t i = 0;
    double d = 0;
    QString s;
};

// An XSQLDA with room for n entries, freed with its owner.
class IBSqlDa {
public:
    explicit IBSqlDa(int n = 0);
    XSQLDA* get() const { return reinterpret_cast<XSQLDA*>(storage_.get()); }
    int Capacity() const { return get()->sqln; }

private:
    std::unique_ptr<char[]> storage_;
};

class IBStatement {
public:
    explicit IBStatement(const FbApi& api) : api_(api) {}
    ~IBStatement();
    IBStatement(const IBStatement&) = delete;
    IBStatement& operator=(const IBStatement&) = delete;

    // A new text discards the prepared form and the parameter values; the
    // text already prepared keeps its prepared form and clears the values.
    // An open cursor stays open (the caller decides when it closes).
    void SetText(const QString& sql, bool paramCheck);
    const QString& Text() const { return sql_; }
    std::vector<IBParamValue>& Params() { return params_; }
    const std::vector<QString>& ParamNames() const { return paramNames_; }
    std::vector<int> FindParam(const QString& name) const;

    bool Prepared() const { return prepared_; }
    void Prepare(isc_db_handle* db, isc_tr_handle* tr, unsigned short dialect, IBCharset cs);
    bool IsSelect() const;
    int Type() const { return type_; }

    // Binds the parameters and runs the statement; a select opens its cursor,
    // an executable procedure leaves its output in the row buffer.
    void Execute(isc_tr_handle* tr);
    // Fetches the next row into the row buffer; false past the last row.
    bool Fetch();
    // Closes an open cursor. Errors are not raised: the cursor is gone either
    // way, and the next statement reports a lost connection.
    void CloseCursor();
    bool CursorOpen() const { return cursorOpen_; }
    // Frees the server's handle (before a detach) and forgets the prepared form.
    void Drop();

    const std::vector<IBColumn>& Columns() const { return columns_; }
    const char* Row() const { return row_.get(); }
    int RowSize() const { return rowSize_; }
    void ClearRow();
    IBCharset Charset() const { return charset_; }
    QByteArray ReadBlob(isc_tr_handle* tr, const char* blobId) const;
    const FbApi& Api() const { return api_; }

private:
    // A call into the library on this statement's connection (IBCall::Run).
    void Call(IBCall::Kind kind, IBCall::Wait wait, ISC_STATUS* status, IBCall::CallRef call) const;
    void Describe();
    void Layout();
    void BindParams(std::vector<QByteArray>& texts);

    const FbApi& api_;
    QString sql_;
    QString serverSql_;     // with the named parameters turned into markers
    QByteArray serverText_; // the same in the connection's character set
    bool paramCheck_ = true;
    std::vector<QString> paramNames_;
    std::vector<IBParamValue> params_;

    isc_db_handle* db_ = nullptr;
    isc_stmt_handle handle_ = 0;
    bool prepared_ = false;
    bool cursorOpen_ = false;
    int type_ = 0;
    unsigned short dialect_ = 3;
    IBCharset charset_ = IBCharset::Win1252;

    IBSqlDa out_;
    IBSqlDa in_;
    // The parameters' types as the server described them.
    struct InputType {
        ISC_SHORT sqltype;
        ISC_SHORT sqlscale;
        ISC_SHORT sqlsubtype;
        ISC_SHORT sqllen;
    };
    std::vector<InputType> described_;
    std::vector<IBColumn> columns_;
    std::unique_ptr<char[]> row_;
    int rowSize_ = 0;
    std::unique_ptr<char[]> inBuffer_;
};
