#pragma once

#include <QPointer>

#include <deque>
#include <vector>

#include "platform/Messages.h"

class QLabel;
class QWidget;

namespace rendix {

// The messages interface of a window: modal QMessageBox boxes over `parent`, the status
// line `status` (may be null for windows without one) and the override cursor.
class WindowMessages : public Messages {
public:
    explicit WindowMessages(QWidget* parent, QLabel* status = nullptr);

    MessageAnswer show(const Message& message) override;
    QString status() const override;
    void setStatus(const QString& text) override;
    void setBusy(bool busy) override;

private:
    QPointer<QWidget> m_parent;
    QPointer<QLabel> m_status;
};

// For window tests: while one lives, every message box of every window is recorded and
// answered from the queue instead of being shown (an empty queue gives the box's default
// button). Also records each change of the busy pointer.
class MessageBoxScript {
public:
    MessageBoxScript();
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    void queueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    const std::vector<Message>& shown() const { return m_shown; }
    const std::vector<bool>& busyChanges() const { return m_busy; }

    static MessageBoxScript* active();
    MessageAnswer answer(const Message& message);
    void recordBusy(bool busy) { m_busy.push_back(busy); }

private:
    std::deque<MessageAnswer> m_answers;
    std::vector<Message> m_shown;
    std::vector<bool> m_busy;
};

}  // namespace rendix
