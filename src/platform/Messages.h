#pragma once

#include <QString>

// How commands talk to the user: message boxes, the status line and the busy pointer.
// The main window implements it with QMessageBox, lblStatus and the override cursor;
// tests implement it with a script that records every message and gives the answers.
namespace rendix {

enum class MessageIcon { None, Information, Critical };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct Message {
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;
    MessageIcon icon = MessageIcon::None;

    friend bool operator==(const Message&, const Message&) = default;
};

class Messages {
public:
    virtual ~Messages() = default;
    // Shows a modal message box and returns the answer.
    virtual MessageAnswer show(const Message& message) = 0;
    virtual QString status() const = 0;
    virtual void setStatus(const QString& text) = 0;
    // The busy (hourglass) pointer when true, the default pointer when false.
    virtual void setBusy(bool busy) = 0;
};

// Shows the busy pointer for as long as it lives.
class BusyPointer {
public:
    explicit BusyPointer(Messages& messages) : m_messages(messages) { m_messages.setBusy(true); }
    ~BusyPointer() { m_messages.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    Messages& m_messages;
};

// Shows a message box with an OK button only.
inline void showOk(Messages& messages, const QString& text, const QString& title,
                   MessageIcon icon = MessageIcon::None) {
    messages.show({text, title, MessageButtons::Ok, MessageAnswer::Ok, icon});
}

}  // namespace rendix
