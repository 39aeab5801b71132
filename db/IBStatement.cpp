#include "IBStatement.h"

#include "IBCall.h"
#include "IBError.h"

#include <QStringList>
#include <algorithm>
#include <cstring>

namespace {

constexpr ISC_STATUS kSegment = 335544366;   // isc_segment: more of this segment follows
constexpr ISC_STATUS kSegstrEof = 335544367; // isc_segstr_eof: the blob has no more data

int Align8(int n) {
    return (n + 7) & ~7;
}

int ValueSize(short type, short length) {
    switch (type) {
    case SQL_TEXT:
        return length;
    case SQL_VARYING:
        return length + 2;
    case SQL_SHORT:
        return 2;
    case SQL_LONG:
    case SQL_FLOAT:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
        return 4;
    case SQL_BOOLEAN:
        return 1;
    default:
        // 64-bit integers, doubles, timestamps, blob and array ids, and
        // anything newer: the library says how many bytes it writes.
        return length > 8 ? length : 8;
    }
}

bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

class BlobHandle {
public:
    BlobHandle(const FbApi& api) : api_(api) {}
    ~BlobHandle() {
        if (handle != 0) {
            ISC_STATUS_ARRAY status;
            api_.close_blob(status, &handle);
        }
    }
    BlobHandle(const BlobHandle&) = delete;
    BlobHandle& operator=(const BlobHandle&) = delete;
    isc_blob_handle handle = 0;

private:
    const FbApi& api_;
};

} // namespace

QString IBStatusText(const FbApi& api, const ISC_STATUS* status) {
    QStringList lines;
    const ISC_STATUS* vector = status;
    char buffer[1024];
    while (api.interpret(buffer, sizeof buffer, &vector) > 0) {
        lines << DecodeText(IBCharset::Win1252, buffer, static_cast<int>(std::strlen(buffer)));
    }
    QString text = lines.join(QStringLiteral("\r\n"));
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    return text;
}

void IBCheck(const FbApi& api, const ISC_STATUS* status) {
    if (status[0] == 1 && status[1] != 0) {
        throw EIBError(IBStatusText(api, status), api.sqlcode(status), status[1]);
    }
}

IBParsedSQL IBParseParams(const QString& sql) {
    IBParsedSQL out;
    out.text.reserve(sql.size());
    const int n = static_cast<int>(sql.size());
    for (int i = 0; i < n;) {
        QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            int j = i + 1;
            while (j < n && sql[j] != c) {
                ++j;
            }
            out.text += sql.mid(i, j + 1 - i);
            i = j + 1;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            int j = static_cast<int>(sql.indexOf(u'\n', i));
            j = j < 0 ? n : j;
            out.text += sql.mid(i, j - i);
            i = j;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            int j = static_cast<int>(sql.indexOf(QStringLiteral("*/"), i + 2));
            j = j < 0 ? n : j + 2;
            out.text += sql.mid(i, j - i);
            i = j;
        } else if (c == u':' && i + 1 < n && IsNameChar(sql[i + 1])) {
            int j = i + 1;
            while (j < n && IsNameChar(sql[j])) {
                ++j;
            }
            out.names.push_back(sql.mid(i + 1, j - i - 1));
            out.text += u'?';
            i = j;
        } else {
            if (c == u'?') {
                out.names.emplace_back();
            }
            out.text += c;
            ++i;
        }
    }
    return out;
}

IBSqlDa::IBSqlDa(int n) {
    int count = n < 1 ? 1 : n;
    std::size_t bytes = XSQLDA_LENGTH(count);
    storage_ = std::make_unique<char[]>(bytes);
    std::memset(storage_.get(), 0, bytes);
    get()->version = SQLDA_VERSION1;
    get()->sqln = static_cast<ISC_SHORT>(count);
}

void IBStatement::Call(IBCall::Kind kind, IBCall::Wait wait, ISC_STATUS* status,
                       IBCall::CallRef call) const {
    IBCall::Run(db_ != nullptr ? *db_ : 0, kind, wait, status, call);
}

IBStatement::~IBStatement() {
    Drop();
}

void IBStatement::SetText(const QString& sql, bool paramCheck) {
    if (prepared_ && sql == sql_ && paramCheck == paramCheck_) {
        // The same statement again (a page header reading the same row on
        // every page): the server keeps its prepared form, and only the
        // parameter values start afresh.
        params_.assign(std::max(paramNames_.size(), static_cast<std::size_t>(in_.get()->sqld)),
                       IBParamValue{});
        return;
    }
    sql_ = sql;
    paramCheck_ = paramCheck;
    prepared_ = false;
    columns_.clear();
    if (paramCheck) {
        IBParsedSQL parsed = IBParseParams(sql);
        paramNames_ = std::move(parsed.names);
        serverSql_ = std::move(parsed.text);
    } else {
        paramNames_.clear();
        serverSql_ = sql;
    }
    params_.assign(paramNames_.size(), IBParamValue{});
}

std::vector<int> IBStatement::FindParam(const QString& name) const {
    std::vector<int> found;
    for (int i = 0; i < static_cast<int>(paramNames_.size()); ++i) {
        if (paramNames_[i].compare(name, Qt::CaseInsensitive) == 0) {
            found.push_back(i);
        }
    }
    return found;
}

void IBStatement::Prepare(isc_db_handle* db, isc_tr_handle* tr, unsigned short dialect,
                          IBCharset cs) {
    ISC_STATUS_ARRAY status;
    if (handle_ != 0 && db != db_) {
        Drop();
    }
    db_ = db;
    dialect_ = dialect;
    charset_ = cs;
    if (handle_ == 0) {
        auto allocate = [&] { api_.dsql_allocate_statement(status, db, &handle_); };
        Call(IBCall::Kind::Work, IBCall::Wait::Prepare, status, allocate);
        IBCheck(api_, status);
    }
    // The text goes in the connection's character set.
    serverText_ = EncodeText(cs, serverSql_);
    out_ = IBSqlDa(32);
    auto prepare = [&] {
        api_.dsql_prepare(status, tr, &handle_, 0, serverText_.constData(), dialect, out_.get());
    };
    Call(IBCall::Kind::Work, IBCall::Wait::Prepare, status, prepare);
    IBCheck(api_, status);

    const char items[] = {isc_info_sql_stmt_type};
    char info[16] = {};
    auto sqlInfo = [&] {
        api_.dsql_sql_info(status, &handle_, sizeof items, items, sizeof info, info);
    };
    Call(IBCall::Kind::Work, IBCall::Wait::Prepare, status, sqlInfo);
    IBCheck(api_, status);
    type_ = 0;
    if (info[0] == isc_info_sql_stmt_type) {
        int len = static_cast<unsigned char>(info[1]) | (static_cast<unsigned char>(info[2]) << 8);
        for (int i = len - 1; i >= 0; --i) {
            type_ = (type_ << 8) | static_cast<unsigned char>(info[3 + i]);
        }
    }
    Describe();
    Layout();
    prepared_ = true;
    ClearRow();
}

void IBStatement::Describe() {
    ISC_STATUS_ARRAY status;
    if (out_.get()->sqld > out_.Capacity()) {
        out_ = IBSqlDa(out_.get()->sqld);
        auto describe = [&] { api_.dsql_describe(status, &handle_, 1, out_.get()); };
        Call(IBCall::Kind::Work, IBCall::Wait::Prepare, status, describe);
        IBCheck(api_, status);
    }
    in_ = IBSqlDa(16);
    auto describeBind = [&] { api_.dsql_describe_bind(status, &handle_, 1, in_.get()); };
    Call(IBCall::Kind::Work, IBCall::Wait::Prepare, status, describeBind);
    IBCheck(api_, status);
    if (in_.get()->sqld > in_.Capacity()) {
        in_ = IBSqlDa(in_.get()->sqld);
        Call(IBCall::Kind::Work, IBCall::Wait::Prepare, status, describeBind);
        IBCheck(api_, status);
    }
    if (params_.size() < static_cast<std::size_t>(in_.get()->sqld)) {
        params_.resize(static_cast<std::size_t>(in_.get()->sqld));
    }
    // Binding rewrites the descriptors; every execution starts from these.
    described_.clear();
    for (int i = 0; i < in_.get()->sqld; ++i) {
        const XSQLVAR& v = in_.get()->sqlvar[i];
        described_.push_back({v.sqltype, v.sqlscale, v.sqlsubtype, v.sqllen});
    }
}

void IBStatement::Layout() {
    XSQLDA* da = out_.get();
    columns_.clear();
    columns_.reserve(static_cast<std::size_t>(da->sqld));
    int offset = 0;
    for (int i = 0; i < da->sqld; ++i) {
        const XSQLVAR& v = da->sqlvar[i];
        IBColumn c;
        const char* name = v.aliasname_length > 0 ? v.aliasname : v.sqlname;
        int nameLength = v.aliasname_length > 0 ? v.aliasname_length : v.sqlname_length;
        c.name = DecodeText(charset_, name, nameLength);
        c.type = static_cast<short>(v.sqltype & ~1);
        c.scale = v.sqlscale;
        c.subType = v.sqlsubtype;
        c.length = v.sqllen;
        c.nullOffset = offset;
        offset += 8;
        c.offset = offset;
        offset = Align8(offset + ValueSize(c.type, c.length));
        columns_.push_back(c);
    }
    rowSize_ = offset;
    row_ = std::make_unique<char[]>(static_cast<std::size_t>(rowSize_ > 0 ? rowSize_ : 8));
    for (int i = 0; i < da->sqld; ++i) {
        XSQLVAR& v = da->sqlvar[i];
        // Every column asks for its null indicator, so one left from a
        // cleared row never stands for a value that cannot be null.
        v.sqltype = static_cast<ISC_SHORT>(v.sqltype | 1);
        v.sqldata = row_.get() + columns_[i].offset;
        v.sqlind = reinterpret_cast<ISC_SHORT*>(row_.get() + columns_[i].nullOffset);
    }
}

void IBStatement::ClearRow() {
    if (!row_) {
        return;
    }
    std::memset(row_.get(), 0, static_cast<std::size_t>(rowSize_));
    for (const IBColumn& c : columns_) {
        const ISC_SHORT null = -1;
        std::memcpy(row_.get() + c.nullOffset, &null, sizeof null);
    }
}

bool IBStatement::IsSelect() const {
    return type_ == isc_info_sql_stmt_select || type_ == isc_info_sql_stmt_select_for_upd;
}

void IBStatement::BindParams(std::vector<QByteArray>& texts) {
    XSQLDA* da = in_.get();
    const int n = da->sqld;
    inBuffer_ = std::make_unique<char[]>(static_cast<std::size_t>(n * 16 + 8));
    std::memset(inBuffer_.get(), 0, static_cast<std::size_t>(n * 16 + 8));
    texts.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        XSQLVAR& v = da->sqlvar[i];
        const InputType& type = described_[static_cast<std::size_t>(i)];
        v.sqltype = type.sqltype;
        v.sqlscale = type.sqlscale;
        v.sqlsubtype = type.sqlsubtype;
        v.sqllen = type.sqllen;
        char* slot = inBuffer_.get() + i * 16;
        auto* ind = reinterpret_cast<ISC_SHORT*>(slot + 8);
        const IBParamValue& p = params_[static_cast<std::size_t>(i)];
        short described = static_cast<short>(v.sqltype & ~1);
        v.sqldata = slot;
        v.sqlind = ind;
        *ind = 0;
        switch (p.kind) {
        case IBParamValue::Kind::Null:
            *ind = -1;
            v.sqltype = static_cast<ISC_SHORT>(v.sqltype | 1);
            // The described type stays; its value is never read.
            if (described == SQL_TEXT || described == SQL_VARYING || v.sqllen > 8) {
                v.sqltype = SQL_TEXT | 1;
                v.sqllen = 0;
            }
            break;
        case IBParamValue::Kind::Int32: {
            auto value = static_cast<ISC_LONG>(p.i);
            std::memcpy(slot, &value, sizeof value);
            v.sqltype = SQL_LONG | 1;
            v.sqllen = sizeof value;
            v.sqlscale = 0;
            break;
        }
        case IBParamValue::Kind::Int64:
        case IBParamValue::Kind::Currency:
            std::memcpy(slot, &p.i, sizeof p.i);
            v.sqltype = SQL_INT64 | 1;
            v.sqllen = 8;
            v.sqlscale = p.kind == IBParamValue::Kind::Currency ? -4 : 0;
            break;
        case IBParamValue::Kind::Double:
            std::memcpy(slot, &p.d, sizeof p.d);
            v.sqltype = SQL_DOUBLE | 1;
            v.sqllen = 8;
            v.sqlscale = 0;
            break;
        case IBParamValue::Kind::DateTime: {
            ISC_TIMESTAMP ts;
            std::int32_t date = 0;
            std::uint32_t time = 0;
            IBDate::ToIsc(p.d, date, time);
            ts.timestamp_date = date;
            ts.timestamp_time = time;
            std::memcpy(slot, &ts, sizeof ts);
            v.sqltype = SQL_TIMESTAMP | 1;
            v.sqllen = sizeof ts;
            v.sqlscale = 0;
            break;
        }
        case IBParamValue::Kind::Text: {
            texts.push_back(EncodeText(charset_, p.s));
            QByteArray& bytes = texts.back();
            v.sqldata = bytes.data();
            v.sqltype = SQL_TEXT | 1;
            v.sqllen = static_cast<ISC_SHORT>(bytes.size());
            v.sqlscale = 0;
            if (described != SQL_TEXT && described != SQL_VARYING) {
                // Not a text column: the server converts from the
                // connection's character set.
                v.sqlsubtype = 0;
            }
            break;
        }
        }
    }
}

void IBStatement::Execute(isc_tr_handle* tr) {
    ISC_STATUS_ARRAY status;
    std::vector<QByteArray> texts;
    BindParams(texts);
    XSQLDA* in = in_.get()->sqld > 0 ? in_.get() : nullptr;
    auto execute = [&] {
        if (type_ == isc_info_sql_stmt_exec_procedure && out_.get()->sqld > 0) {
            ClearRow();
            api_.dsql_execute2(status, tr, &handle_, 1, in, out_.get());
        } else {
            api_.dsql_execute(status, tr, &handle_, 1, in);
        }
    };
    Call(IBCall::Kind::Work, IBCall::Wait::Execute, status, execute);
    IBCheck(api_, status);
    cursorOpen_ = IsSelect();
}

bool IBStatement::Fetch() {
    ISC_STATUS_ARRAY status;
    ISC_STATUS rc = 0;
    auto fetch = [&] { rc = api_.dsql_fetch(status, &handle_, 1, out_.get()); };
    Call(IBCall::Kind::Work, IBCall::Wait::Fetch, status, fetch);
    if (rc == 100) {
        return false;
    }
    IBCheck(api_, status);
    return true;
}

void IBStatement::CloseCursor() {
    if (cursorOpen_ && handle_ != 0) {
        ISC_STATUS_ARRAY status;
        auto close = [&] { api_.dsql_free_statement(status, &handle_, DSQL_close); };
        Call(IBCall::Kind::Cleanup, IBCall::Wait::Free, status, close);
    }
    cursorOpen_ = false;
}

void IBStatement::Drop() {
    if (handle_ != 0) {
        ISC_STATUS_ARRAY status;
        auto drop = [&] { api_.dsql_free_statement(status, &handle_, DSQL_drop); };
        Call(IBCall::Kind::Cleanup, IBCall::Wait::Free, status, drop);
        handle_ = 0;
    }
    cursorOpen_ = false;
    prepared_ = false;
}

QByteArray IBStatement::ReadBlob(isc_tr_handle* tr, const char* blobId) const {
    ISC_STATUS_ARRAY status;
    BlobHandle blob(api_);
    ISC_QUAD id;
    std::memcpy(&id, blobId, sizeof id);
    auto open = [&] { api_.open_blob2(status, db_, tr, &blob.handle, &id, 0, nullptr); };
    Call(IBCall::Kind::Work, IBCall::Wait::ReadBlob, status, open);
    IBCheck(api_, status);
    QByteArray data;
    char buffer[32768];
    for (;;) {
        unsigned short got = 0;
        ISC_STATUS rc = 0;
        auto segment = [&] {
            rc = api_.get_segment(status, &blob.handle, &got, sizeof buffer, buffer);
        };
        Call(IBCall::Kind::Work, IBCall::Wait::ReadBlob, status, segment);
        if (rc == 0 || rc == kSegment) {
            data.append(buffer, got);
            continue;
        }
        if (rc == kSegstrEof) {
            break;
        }
        IBCheck(api_, status);
        break;
    }
    ISC_STATUS_ARRAY closeStatus;
    auto close = [&] { api_.close_blob(closeStatus, &blob.handle); };
    Call(IBCall::Kind::Cleanup, IBCall::Wait::ReadBlob, closeStatus, close);
    blob.handle = 0;
    IBCheck(api_, closeStatus);
    return data;
}
