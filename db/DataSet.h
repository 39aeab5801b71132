#pragma once
// The rows the report engine walks. TIBQuery implements it over the server;
// tests use an in-memory dataset. The engine sees nothing of Firebird.
#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

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

// While a thread waits for a data source that is slow to answer (a server
// busy with a long statement), a window on that thread may have to keep
// answering, its Cancel button above all. The window installs a pump for as
// long as it shows; the data layer then waits on a helper thread and runs
// the pump every few milliseconds. A pump that answers true gives the wait
// up: the data source raises the silent abort.
class TDataWaitPump {
public:
    explicit TDataWaitPump(std::function<bool()> pump) : pump_(std::move(pump)) {
        Installed().push_back(this);
    }
    ~TDataWaitPump() {
        std::vector<TDataWaitPump*>& installed = Installed();
        installed.erase(std::find(installed.begin(), installed.end(), this));
    }
    TDataWaitPump(const TDataWaitPump&) = delete;
    TDataWaitPump& operator=(const TDataWaitPump&) = delete;

    bool operator()() const { return pump_(); }
    // The pump installed last on this thread that is still alive, or none.
    static TDataWaitPump* Current() {
        const std::vector<TDataWaitPump*>& installed = Installed();
        return installed.empty() ? nullptr : installed.back();
    }

private:
    static std::vector<TDataWaitPump*>& Installed() {
        thread_local std::vector<TDataWaitPump*> installed;
        return installed;
    }
    std::function<bool()> pump_;
};
