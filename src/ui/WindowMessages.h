#pragma once

#include <QPointer>

#include <functional>
#include <memory>

#include "platform/Messages.h"

class QLabel;
class QWidget;

namespace rendix {

// The messages interface of a window: modal QMessageBox boxes over `parent`, showing
// their text as plain text (a file name is never read as markup), the status line
// `status` (may be null for windows without one) and the override cursor.
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

// Makes the messages interface of a window (`status` may be null). Each window gets its
// own from the factory it is built with, so tests can answer the boxes of every window.
using MessagesFactory = std::function<std::unique_ptr<Messages>(QWidget* window, QLabel* status)>;

// The program's factory: WindowMessages.
MessagesFactory windowMessagesFactory();

}  // namespace rendix
