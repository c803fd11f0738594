#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Messages.h"

// The messages interface of rendix-cli: what the window would show, printed.
namespace rendix::cli {

struct PrintMode {
    bool quiet = false;   // failures only
    bool dryRun = false;  // standard output carries the diff alone
    bool force = false;   // go on while the game runs
};

// Prints instead of showing:
//  - the status line, one line on standard output each time a text is complete: when the
//    next text does not continue it (the randomizer's "Found 3 CTF maps..." that then gets
//    " randomized list."), before a box, and at finish();
//  - a failure box (critical icon) on standard error as "rendix-cli: <title>: <text>"; it
//    makes the run a failure;
//  - any other box's text on standard output.
// It asks nothing: "Continue?" (delete the backups) is answered Yes, the question about a
// running game No unless forced (and the refusal is printed), any other its default button.
// When quiet only failures are printed; in a dry run the status line, which would describe a
// change that was not made, is not printed and other boxes go to standard error.
class PrintingMessages : public Messages {
public:
    explicit PrintingMessages(PrintMode mode) : m_mode(mode) {}

    MessageAnswer show(const Message& message) override;
    QString status() const override { return m_line; }
    void setStatus(const QString& text) override;
    void setBusy(bool) override {}

    // Prints the status text that is still open; at the end of every command.
    void finish();
    // What a command was asked for (a listing, a diff): standard output, also when quiet.
    void printData(const QByteArray& bytes);
    // While a command works on a private copy, messages name the file it stands for.
    void setPathAlias(const QByteArray& copy, const QByteArray& real);
    // Takes on another run's failure or refusal (a preview made with its own messages).
    void absorb(const PrintingMessages& other);
    // Makes the run a failure without printing anything: for a command whose output says why.
    void fail() { m_failed = true; }

    bool failed() const { return m_failed; }
    bool refused() const { return m_refused; }
    const PrintMode& mode() const { return m_mode; }

private:
    void printInfo(const QString& text);

    PrintMode m_mode;
    QString m_aliasFrom;
    QString m_aliasTo;
    QString m_line;
    bool m_lineShown = true;
    bool m_failed = false;
    bool m_refused = false;
};

// Writes the bytes to standard output or standard error at once, so that both streams keep
// their order in a log that takes them together.
void writeOut(const QByteArray& bytes);
void writeErr(const QByteArray& bytes);

}  // namespace rendix::cli
