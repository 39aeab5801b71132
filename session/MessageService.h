#pragma once
// Every message box of the program goes through here: a plain box with one
// OK button (app/MessageBoxes.h, set by the desktop program; without it the
// texts go to standard error). Tests put a recorder in its place and check
// the texts in order.
#include <QString>

class MessageService {
public:
    virtual ~MessageService() = default;
    // An information box.
    virtual void ShowMessage(const QString& text) = 0;
    // The box of the general error handler.
    virtual void ShowError(const QString& text) = 0;

    // The service in use: the one last set, standard error if none is.
    static MessageService& Current();
    // Replaces the service (nullptr: back to standard error). The caller
    // keeps ownership and must restore it before the object dies.
    static void SetCurrent(MessageService* service);
};

// Shorthand for MessageService::Current().ShowMessage(text).
void ShowMessage(const QString& text);
