#pragma once
// A dataset held in memory, for code that walks rows without a server (the
// report engine's tests). Fields follow the same text rules as the
// database's fields.
#include "DataSet.h"

#include <QString>
#include <memory>
#include <variant>
#include <vector>

// A value: null, a text, a whole number (for currency fields:
// ten-thousandths), or a floating value (dates: days since 30 December 1899).
using TMemValue = std::variant<std::monostate, QString, std::int64_t, double>;

class TMemDataSet;

class TMemField : public TField {
public:
    enum class Kind { String, Integer, Currency, Float, Date, DateTime };

    TMemField(const TMemDataSet& owner, QString name, Kind kind, int index)
        : owner_(owner), name_(std::move(name)), kind_(kind), index_(index) {}
    QString FieldName() const override { return name_; }
    bool IsNull() const override;
    QString AsString() const override;
    QString DisplayText() const override;
    std::int32_t AsInteger() const override;
    std::int64_t AsCurrency() const override;
    double AsDateTime() const override;
    double AsFloat() const override;

    Kind DataKind() const { return kind_; }
    QString DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& f) { displayFormat_ = f; }

private:
    const TMemValue& Value() const;
    const TMemDataSet& owner_;
    QString name_;
    Kind kind_;
    int index_;
    QString displayFormat_;
};

class TMemDataSet : public TDataSet {
public:
    TMemField& AddField(const QString& name, TMemField::Kind kind,
                        const QString& displayFormat = {});
    // One value per field, in the order the fields were added; missing
    // trailing values are null.
    void AppendRecord(std::vector<TMemValue> values);
    void Clear() { rows_.clear(); }

    void Open();
    void Close() { active_ = false; }
    bool Active() const override { return active_; }
    void First() override;
    void Next() override;
    bool Eof() const override { return eof_; }
    int RecordCount() const override { return static_cast<int>(rows_.size()); }
    TField* FindField(const QString& name) const override;
    int RecNo() const { return current_; }

private:
    friend class TMemField;
    std::vector<std::unique_ptr<TMemField>> fields_;
    std::vector<std::vector<TMemValue>> rows_;
    bool active_ = false;
    bool eof_ = true;
    int current_ = -1;
};
