#pragma once

#include <QByteArray>
#include <QString>

namespace rendix {

// What kind of failure a Result reports, where the caller words its message by it.
enum class Problem {
    None,
    Other,        // anything else; `error` says what
    Missing,      // the file or folder does not exist
    Unreadable,   // it exists but cannot be read; `error` gives the system's reason
    ReadOnly,     // the file has no write permission bit at all
    LinkRefused,  // a symbolic link leads somewhere Rendix does not write (see `target`)
    Exists,       // the name is taken (a copy never replaces a file)
    Busy,         // another Rendix process holds the file's lock
};

// The outcome of an operation that can fail. Core routines return it; only the window
// layer or the messages interface turns a failure into something the user sees.
struct Result {
    bool ok = true;
    QString error;  // why it failed, for tests and diagnostics; empty on success
    Problem problem = Problem::None;
    QByteArray path;    // the file concerned, where the failure names one
    QByteArray target;  // for LinkRefused: where the link leads

    static Result success() { return {}; }
    static Result failure(QString why, Problem problem = Problem::Other, QByteArray path = {},
                          QByteArray target = {}) {
        return {false, std::move(why), problem, std::move(path), std::move(target)};
    }
    explicit operator bool() const { return ok; }
};

}  // namespace rendix
