#pragma once
// The rows the report engine walks. TIBQuery implements it over the server;
// tests use an in-memory dataset. The engine sees nothing of Firebird.
#include <QString>
#include <cstdint>

class TField {
public:
    virtual ~TField() = default;
    virtual QString FieldName() const = 0;
    virtual bool IsNull() const = 0;
    // The plain text of the value (a null reads as an empty text).
    virtual QString AsString() const = 0;
    // The text after the field's DisplayFormat, or the plain text without one.
    virtual QString DisplayText() const = 0;
    virtual std::int32_t AsInteger() const = 0;
    // Fixed-point currency: ten-thousandths in a 64-bit integer.
    virtual std::int64_t AsCurrency() const = 0;
    // Days since 30 December 1899, the fraction being the time of day.
    virtual double AsDateTime() const = 0;
    virtual double AsFloat() const = 0;
};

class TDataSet {
public:
    virtual ~TDataSet() = default;
    virtual bool Active() const = 0;
    virtual void First() = 0;
    virtual void Next() = 0;
    virtual bool Eof() const = 0;
    virtual int RecordCount() const = 0;
    // nullptr when the dataset has no field of that name (case ignored).
    virtual TField* FindField(const QString& name) const = 0;
};
