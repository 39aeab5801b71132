#pragma once
// Stands in for the message boxes while it lives and keeps every text, in
// order, marked "msg: " or "error: ".
#include "MessageService.h"

#include <QStringList>

class MessageRecorder final : public MessageService {
public:
    MessageRecorder() { MessageService::SetCurrent(this); }
    ~MessageRecorder() override { MessageService::SetCurrent(nullptr); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    void ShowMessage(const QString& text) override { texts << QStringLiteral("msg: ") + text; }
    void ShowError(const QString& text) override { texts << QStringLiteral("error: ") + text; }
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
