#include "MemDataSet.h"

#include "Exception.h"
#include "FieldFormat.h"

#include <cmath>

namespace {

const TMemValue kNull;

[[noreturn]] void BadConversion() {
    throw EConvertError(QStringLiteral("Invalid data conversion"));
}

} // namespace

const TMemValue& TMemField::Value() const {
    if (!owner_.active_ || owner_.current_ < 0) {
        return kNull;
    }
    const auto& row = owner_.rows_[static_cast<std::size_t>(owner_.current_)];
    return static_cast<std::size_t>(index_) < row.size() ? row[static_cast<std::size_t>(index_)]
                                                         : kNull;
}

bool TMemField::IsNull() const {
    return std::holds_alternative<std::monostate>(Value());
}

QString TMemField::AsString() const {
    const TMemValue& v = Value();
    if (const auto* s = std::get_if<QString>(&v)) {
        return *s;
    }
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return kind_ == Kind::Currency ? FieldFormat::PlainScaled(*i, 4) : QString::number(*i);
    }
    if (const auto* d = std::get_if<double>(&v)) {
        switch (kind_) {
        case Kind::Date:
            return FieldFormat::PlainDate(*d);
        case Kind::DateTime:
            return FieldFormat::PlainDateTime(*d);
        default:
            return FieldFormat::PlainFloat(*d);
        }
    }
    return {};
}

QString TMemField::DisplayText() const {
    if (IsNull()) {
        return {};
    }
    switch (kind_) {
    case Kind::Currency:
        if (displayFormat_.isEmpty()) {
            return AsString();
        }
        try {
            return FieldFormat::FixedText(displayFormat_, AsCurrency());
        } catch (const Exception&) {
            return QStringLiteral("(Overflow)");
        }
    case Kind::Integer:
    case Kind::Float:
        return displayFormat_.isEmpty()
                   ? AsString()
                   : FieldFormat::NumberText(displayFormat_, static_cast<long double>(AsFloat()));
    case Kind::Date:
        return displayFormat_.isEmpty() ? FieldFormat::PlainDate(AsDateTime())
                                        : FieldFormat::DateText(displayFormat_, AsDateTime());
    case Kind::DateTime:
        return FieldFormat::DateText(displayFormat_, AsDateTime());
    case Kind::String:
        break;
    }
    return AsString();
}

std::int32_t TMemField::AsInteger() const {
    const TMemValue& v = Value();
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return static_cast<std::int32_t>(kind_ == Kind::Currency ? std::llround(*i / 10000.0) : *i);
    }
    if (const auto* d = std::get_if<double>(&v)) {
        return static_cast<std::int32_t>(std::llround(*d));
    }
    if (const auto* s = std::get_if<QString>(&v)) {
        bool ok = false;
        int n = s->trimmed().toInt(&ok);
        if (!ok) {
            BadConversion();
        }
        return n;
    }
    return 0;
}

std::int64_t TMemField::AsCurrency() const {
    const TMemValue& v = Value();
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return kind_ == Kind::Currency ? *i : *i * 10000;
    }
    if (const auto* d = std::get_if<double>(&v)) {
        return std::llround(*d * 10000.0);
    }
    if (const auto* s = std::get_if<QString>(&v)) {
        std::int64_t amount = 0;
        if (!FieldFormat::ParseCurrency(*s, amount)) {
            BadConversion();
        }
        return amount;
    }
    return 0;
}

double TMemField::AsDateTime() const {
    const TMemValue& v = Value();
    if (const auto* d = std::get_if<double>(&v)) {
        return *d;
    }
    if (const auto* s = std::get_if<QString>(&v)) {
        return FieldFormat::ParseDateTime(*s);
    }
    if (std::holds_alternative<std::int64_t>(v)) {
        BadConversion();
    }
    return 0;
}

double TMemField::AsFloat() const {
    const TMemValue& v = Value();
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return kind_ == Kind::Currency ? static_cast<double>(*i) / 10000.0
                                       : static_cast<double>(*i);
    }
    if (const auto* d = std::get_if<double>(&v)) {
        return *d;
    }
    if (const auto* s = std::get_if<QString>(&v)) {
        std::int64_t amount = 0;
        if (!FieldFormat::ParseCurrency(*s, amount)) {
            BadConversion();
        }
        return static_cast<double>(amount) / 10000.0;
    }
    return 0;
}

TMemField& TMemDataSet::AddField(const QString& name, TMemField::Kind kind,
                                 const QString& displayFormat) {
    fields_.push_back(
        std::make_unique<TMemField>(*this, name, kind, static_cast<int>(fields_.size())));
    fields_.back()->SetDisplayFormat(displayFormat);
    return *fields_.back();
}

void TMemDataSet::AppendRecord(std::vector<TMemValue> values) {
    rows_.push_back(std::move(values));
}

void TMemDataSet::Open() {
    active_ = true;
    First();
}

void TMemDataSet::First() {
    current_ = rows_.empty() ? -1 : 0;
    eof_ = rows_.empty();
}

void TMemDataSet::Next() {
    if (!active_ || eof_) {
        return;
    }
    if (current_ + 1 < static_cast<int>(rows_.size())) {
        ++current_;
    } else {
        eof_ = true;
    }
}

TField* TMemDataSet::FindField(const QString& name) const {
    for (const auto& f : fields_) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) {
            return f.get();
        }
    }
    return nullptr;
}
