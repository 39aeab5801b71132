#pragma once
// The one base class of every error this program raises. It carries the
// text the user sees; the general error handler shows exactly that text.
#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A text or pattern that cannot be turned into a number or date, or back.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be written: its name and the system's reason ("No
// space left on device"). Told apart from an error in what was being
// written, which a new attempt at another file would meet again.
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

// The silent abort: ends the operation that raised it, and the general error
// handler shows nothing for it.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};
