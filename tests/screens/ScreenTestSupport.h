#pragma once
// Shared pieces of the screen tests: the message recorder, a recorder of
// the reports the selection screen starts, Brazilian regional settings, a scratch current directory
// for "torvikrm.ini", and a modal runner that hands the open window to the test.
#include "FormatTestSupport.h"
#include "MessageService.h"
#include "ModalForm.h"
#include "RegionalSettings.h"
#include "ReportEntries.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <ostream>
#include <vector>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace ScreenTest {

// Stands in for the message boxes and keeps every text, in order, marked
// "msg: " or "error: ".
class Messages final : public MessageService {
public:
    Messages() { MessageService::SetCurrent(this); }
    ~Messages() override { MessageService::SetCurrent(nullptr); }
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;
    void ShowMessage(const QString& text) override { texts << QStringLiteral("msg: ") + text; }
    void ShowError(const QString& text) override { texts << QStringLiteral("error: ") + text; }
    // The texts so far, emptied.
    QStringList Take() {
        QStringList out = texts;
        texts.clear();
        return out;
    }
    QStringList texts;
};

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// Stands in for the three report forms for one scope and keeps what each
// report was started with.
struct ReportCalls {
    ReportCalls() {
        ReportEntries::OverrideBalancete([this](QObject* owner, const TBalanceteInputs& in) {
            balancete.push_back(in);
            owners.push_back(owner);
        });
        ReportEntries::OverrideInadimplencia([this](QObject* owner) {
            listings << QStringLiteral("inadimplencia");
            owners.push_back(owner);
        });
        ReportEntries::OverrideCompromissados([this](QObject* owner) {
            listings << QStringLiteral("compromissados");
            owners.push_back(owner);
        });
    }
    ~ReportCalls() {
        ReportEntries::OverrideBalancete({});
        ReportEntries::OverrideInadimplencia({});
        ReportEntries::OverrideCompromissados({});
    }
    ReportCalls(const ReportCalls&) = delete;
    ReportCalls& operator=(const ReportCalls&) = delete;
    std::vector<TBalanceteInputs> balancete;
    QStringList listings;
    std::vector<QObject*> owners;
};

// Brazilian separators and date patterns for the whole scope.
class Brazilian {
public:
    Brazilian() : old_(RegionalSettings::Current()) {
        RegionalSettings::SetCurrent(BrazilianSettings());
    }
    ~Brazilian() { RegionalSettings::SetCurrent(old_); }
    Brazilian(const Brazilian&) = delete;
    Brazilian& operator=(const Brazilian&) = delete;

private:
    RegionalSettings old_;
};

// Makes a fresh empty directory the current one for the scope.
class ScratchDir {
public:
    ScratchDir() : old_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~ScratchDir() { QDir::setCurrent(old_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString old_;
};

// Runs the function with each modal window while it is open.
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(QDialog&)> drive) {
        SetModalRunner([this, drive = std::move(drive)](QDialog& form) {
            ++shown;
            drive(form);
        });
    }
    ~ModalDriver() { SetModalRunner({}); }
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    int shown = 0;
};

// A loopback address on which nothing answers at the database port, so a
// connection there is refused at once; other instances of the server may
// be running on other loopback addresses of this machine.
// The search runs from the first address's last number by the step given,
// so two tests that need different addresses do not pick the same one.
QByteArray FreeLoopbackHost(int first = 201, int step = 1);

// Reads a whole file as Latin-1 text (the INI file is Windows-1252).
QString ReadText(const QString& path);

} // namespace ScreenTest
