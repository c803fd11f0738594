#pragma once

#include <QStringList>

#include <deque>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace rendix::testing {

// The messages interface of the tests: records every box, answers from a queue (the box's
// default button when the queue is empty), keeps the status line and the busy pointer.
class ScriptedMessages : public Messages {
public:
    MessageAnswer show(const Message& message) override {
        shown.push_back(message);
        const MessageAnswer next = answers.empty() ? message.defaultButton : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return next;
    }
    QString status() const override { return statusText; }
    void setStatus(const QString& text) override { statusText = text; }
    void setBusy(bool isBusy) override { busyChanges.push_back(isBusy); }
    // The titles of the boxes shown, parted by ","; "title: text" of each, a line each.
    std::string titles() const { return joined(false, u',').toStdString(); }
    QByteArray told() const { return joined(true, u'\n').toUtf8(); }

    std::deque<MessageAnswer> answers;
    std::vector<Message> shown;
    QString statusText;
    std::vector<bool> busyChanges;

private:
    QString joined(bool withText, QChar between) const {
        QStringList lines;
        for (const Message& box : shown) {
            lines << (withText ? box.title + QStringLiteral(": ") + box.text : box.title);
        }
        return lines.join(between);
    }
};

}  // namespace rendix::testing
