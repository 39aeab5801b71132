#pragma once
// A small in-memory dataset for engine tests and the generation benchmark:
// typed columns, rows of values, and the cursor behaviour the engine relies
// on (Next on the last row sets Eof and stays on that row).
#include "DataSet.h"
#include "FieldText.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

class TMemTestDataSet : public TDataSet {
public:
    enum class Kind { Text, Integer, Currency, Date };
    struct Column {
        QString Name;
        Kind Type = Kind::Text;
        QString DisplayFormat;
    };

    explicit TMemTestDataSet(std::vector<Column> columns) : columns_(std::move(columns)) {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            fields_.push_back(std::make_unique<Field>(this, i));
        }
    }

    // Values in column order: QString for text, int for integers, qint64
    // ten-thousandths for currency, double days for dates; an invalid
    // QVariant is a null.
    void AddRow(std::vector<QVariant> values) { rows_.push_back(std::move(values)); }
    void Reserve(std::size_t rows) { rows_.reserve(rows); }
    void SetActive(bool active) { active_ = active; }
    int Position() const { return cursor_; }

    bool Active() const override { return active_; }
    void First() override {
        cursor_ = 0;
        eof_ = rows_.empty();
    }
    void Next() override {
        if (cursor_ + 1 < static_cast<int>(rows_.size())) {
            ++cursor_;
        } else {
            eof_ = true;
        }
    }
    bool Eof() const override { return eof_; }
    int RecordCount() const override { return static_cast<int>(rows_.size()); }
    TField* FindField(const QString& name) const override {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (columns_[i].Name.compare(name, Qt::CaseInsensitive) == 0) {
                return fields_[i].get();
            }
        }
        return nullptr;
    }

private:
    class Field : public TField {
    public:
        Field(const TMemTestDataSet* owner, std::size_t column) : owner_(owner), column_(column) {}
        QString FieldName() const override { return Def().Name; }
        bool IsNull() const override { return !Value().isValid(); }
        QString AsString() const override { return Text(QString()); }
        QString DisplayText() const override { return Text(Def().DisplayFormat); }
        std::int32_t AsInteger() const override { return Value().toInt(); }
        std::int64_t AsCurrency() const override { return Value().toLongLong(); }
        double AsDateTime() const override { return Value().toDouble(); }
        double AsFloat() const override { return Value().toDouble(); }

    private:
        const Column& Def() const { return owner_->columns_[column_]; }
        QVariant Value() const {
            const auto& rows = owner_->rows_;
            const int at = owner_->cursor_;
            if (at < 0 || at >= static_cast<int>(rows.size())) {
                return {};
            }
            return rows[static_cast<std::size_t>(at)][column_];
        }
        QString Text(const QString& format) const {
            const QVariant v = Value();
            if (!v.isValid()) {
                return QString();
            }
            switch (Def().Type) {
            case Kind::Currency:
                return DecimalFieldText(format, v.toLongLong());
            case Kind::Date:
                return DateFieldText(format, v.toDouble(), DateFieldKind::Date);
            case Kind::Integer:
                return QString::number(v.toInt());
            case Kind::Text:
                break;
            }
            return v.toString();
        }
        const TMemTestDataSet* owner_;
        std::size_t column_;
    };

    std::vector<Column> columns_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<std::vector<QVariant>> rows_;
    int cursor_ = 0;
    bool eof_ = true;
    bool active_ = true;
};
