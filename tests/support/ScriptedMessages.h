#pragma once

#include <deque>
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
    void setStatus(const QString& text) override {
        statusText = text;
        statusHistory.push_back(text);
    }
    void setBusy(bool isBusy) override {
        busy = isBusy;
        busyChanges.push_back(isBusy);
    }

    std::deque<MessageAnswer> answers;
    std::vector<Message> shown;
    QString statusText;
    std::vector<QString> statusHistory;
    bool busy = false;
    std::vector<bool> busyChanges;
};

}  // namespace rendix::testing
