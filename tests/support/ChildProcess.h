#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Another process, for what only a second process shows (a lock held elsewhere, two writers
// at once, a running program): the test program starts itself again, and the copy runs an
// action that a test file registered instead of the tests. No fork, so the same on every
// system.
namespace rendix::testing {

// What a child does, given the arguments it was started with; its result is the exit status.
// It tells its parent when it got where the parent waits for it (tellParent) and then may wait
// until the parent lets it go (waitForParent).
using ChildAction = std::function<int(const QStringList& arguments)>;

// Registers `action` under `name`; a static object in a test file.
struct ChildActionRegistration {
    ChildActionRegistration(const char* name, ChildAction action);
};

// A running child: this test program (or `program`, a copy of it) started as child `name`
// with `arguments`. The constructor returns once the child told its parent a line, or ended.
// The destructor kills it and waits for it.
class Child {
public:
    Child(const char* name, const QStringList& arguments, const QString& program = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The line the child told its parent, without its line break; empty where it ended first.
    const QByteArray& line() const { return m_line; }
    // Ends the child at once, as a crash or the task manager would.
    void kill();
    // Lets a child that waits for its parent go on (closes its input).
    void letGo() { m_process.closeWriteChannel(); }
    // Lets it go and waits for it to end by itself: its exit status, or -1 where it crashed.
    int wait();

private:
    QProcess m_process;
    QByteArray m_line;
};

// A child that holds the lock of `guarded` (platform::FileLock, waiting for it no longer than
// `timeoutMs`) until it ends; its line is "locked", or why it could not lock.
std::unique_ptr<Child> holdLock(const QByteArray& guarded, int timeoutMs = 0);

// Every test program also knows the child "idle", which tells "running" and runs until it is
// ended: a game, where a test copies the test program to a game's folder and starts the copy.

// In a child: sends `line` to the parent at once.
void tellParent(const QByteArray& line);
// In a child: returns when the parent closes the child's input or ends.
void waitForParent();

// For the test programs' main(): runs the child action named by "--child NAME ARGUMENT..."
// and gives its exit status; nothing when the program was not started as a child.
std::optional<int> runChild(const QStringList& arguments);

}  // namespace rendix::testing
