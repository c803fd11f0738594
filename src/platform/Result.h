#pragma once

#include <QString>

namespace rendix {

// The outcome of an operation that can fail. Core routines return it; only the window
// layer or the messages interface turns a failure into something the user sees.
struct Result {
    bool ok = true;
    QString error;  // why it failed, for tests and diagnostics; empty on success

    static Result success() { return {}; }
    static Result failure(QString why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

}  // namespace rendix
