#include "cli/PrintingMessages.h"

#include <cstdio>

#include "app/Failures.h"
#include "platform/Paths.h"

namespace rendix::cli {

namespace {

void write(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QByteArray line(const QString& text) {
    return text.toLocal8Bit() + '\n';
}

// The core's question before a change while the game runs, known by its title.
bool asksAboutRunningGame(const Message& message) {
    return message.title == gameRunningMessage({}, {}).title;
}

}  // namespace

void writeOut(const QByteArray& bytes) {
    write(stdout, bytes);
}

void writeErr(const QByteArray& bytes) {
    write(stderr, bytes);
}

MessageAnswer PrintingMessages::show(const Message& shown) {
    finish();
    Message message = shown;
    if (!m_aliasFrom.isEmpty()) {
        message.text.replace(m_aliasFrom, m_aliasTo);
    }
    if (message.buttons == MessageButtons::YesNo) {
        if (asksAboutRunningGame(message)) {
            // A dry run works on a private copy, which no running game writes back.
            if (!m_mode.force && !m_mode.dryRun) {
                m_refused = true;
                writeErr(line(
                    QStringLiteral("rendix-cli: ") + message.title + QStringLiteral(": ") +
                    message.text.section(QStringLiteral("\n\n"), 0, 0) +
                    QStringLiteral(" Nothing was changed; stop the game first, or give --force.")));
                return MessageAnswer::No;
            }
            return MessageAnswer::Yes;
        }
        // The command is the answer: "Continue?" before deleting the backups.
        return message.title == QStringLiteral("Continue?") ? MessageAnswer::Yes
                                                            : message.defaultButton;
    }
    if (message.icon == MessageIcon::Critical) {
        m_failed = true;
        writeErr(line(QStringLiteral("rendix-cli: ") + message.title + QStringLiteral(": ") +
                      message.text));
    } else {
        printInfo(message.text);
    }
    return MessageAnswer::Ok;
}

void PrintingMessages::setStatus(const QString& text) {
    if (!text.startsWith(m_line)) {
        finish();
    }
    if (text != m_line) {
        m_line = text;
        m_lineShown = false;
    }
}

void PrintingMessages::finish() {
    if (!m_lineShown && !m_line.isEmpty() && !m_mode.quiet && !m_mode.dryRun) {
        writeOut(line(m_line));
    }
    m_lineShown = true;
}

void PrintingMessages::printData(const QByteArray& bytes) {
    writeOut(bytes);
}

void PrintingMessages::setPathAlias(const QByteArray& copy, const QByteArray& real) {
    m_aliasFrom = platform::shownName(copy);
    m_aliasTo = platform::shownName(real);
}

void PrintingMessages::absorb(const PrintingMessages& other) {
    m_failed = m_failed || other.m_failed;
    m_refused = m_refused || other.m_refused;
}

void PrintingMessages::printInfo(const QString& text) {
    if (m_mode.quiet) {
        return;
    }
    if (m_mode.dryRun) {
        writeErr(line(text));
    } else {
        writeOut(line(text));
    }
}

}  // namespace rendix::cli
