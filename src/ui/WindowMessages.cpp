#include "ui/WindowMessages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

namespace rendix {

namespace {

MessageBoxScript* g_script = nullptr;

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
    if (g_script) {
        return g_script->answer(message);
    }
    const bool yesNo = message.buttons == MessageButtons::YesNo;
    QMessageBox box(toIcon(message.icon), message.title, message.text,
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                    m_parent && m_parent->isVisible() ? m_parent.data() : nullptr);
    box.setDefaultButton(toButton(message.defaultButton));
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
    if (g_script) {
        g_script->recordBusy(busy);
    }
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
    }
}

MessageBoxScript::MessageBoxScript() {
    Q_ASSERT(!g_script);
    g_script = this;
}

MessageBoxScript::~MessageBoxScript() {
    g_script = nullptr;
}

MessageBoxScript* MessageBoxScript::active() {
    return g_script;
}

MessageAnswer MessageBoxScript::answer(const Message& message) {
    m_shown.push_back(message);
    if (m_answers.empty()) {
        return message.defaultButton;
    }
    const MessageAnswer next = m_answers.front();
    m_answers.pop_front();
    return next;
}

}  // namespace rendix
