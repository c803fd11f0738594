#include "ui/WindowMessages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

namespace rendix {

namespace {

QMessageBox::Icon toIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toButton(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Yes:
            return QMessageBox::Yes;
        case MessageAnswer::No:
            return QMessageBox::No;
        case MessageAnswer::Ok:
            break;
    }
    return QMessageBox::Ok;
}

}  // namespace

WindowMessages::WindowMessages(QWidget* parent, QLabel* status)
    : m_parent(parent), m_status(status) {}

MessageAnswer WindowMessages::show(const Message& message) {
    const bool yesNo = message.buttons == MessageButtons::YesNo;
    QMessageBox box(toIcon(message.icon), message.title, message.text,
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                    m_parent && m_parent->isVisible() ? m_parent.data() : nullptr);
    box.setDefaultButton(toButton(message.defaultButton));
    // Texts hold file names, which may look like markup ("<b>", "<img src=x>").
    box.setTextFormat(Qt::PlainText);
    // The override cursor of a running command must not hide the box's arrow.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    const int answer = box.exec();
    if (busy) {
        QApplication::restoreOverrideCursor();
    }
    switch (answer) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return yesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

QString WindowMessages::status() const {
    return m_status ? m_status->text() : QString();
}

void WindowMessages::setStatus(const QString& text) {
    if (m_status) {
        m_status->setText(text);
        // The label is repainted at once so progress shows while a command still runs.
        m_status->repaint();
    }
}

void WindowMessages::setBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
    }
}

MessagesFactory windowMessagesFactory() {
    return [](QWidget* window, QLabel* status) -> std::unique_ptr<Messages> {
        return std::make_unique<WindowMessages>(window, status);
    };
}

}  // namespace rendix
