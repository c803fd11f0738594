#pragma once

#include <QByteArray>

#include <vector>

// rendix-cli: Rendix's commands without a window, for servers, cron jobs and start scripts.
namespace rendix::cli {

// The exit statuses a script can rely on.
enum class ExitStatus : int {
    Done = 0,         // done, also when nothing needed to change
    Failure = 1,      // a failure; the message is on standard error
    BadUsage = 2,     // no command, an unknown command, type or option, a missing argument
                      // or a bad number; a short usage text is on standard error
    GameRunning = 3,  // a changing command refused because the game is running
};

// Runs one command line (`arguments` as platform::programArguments gives them: bytes, the
// program first) and returns its exit status. Names and paths are taken as the bytes given.
// Prints on standard output and standard error.
ExitStatus run(const std::vector<QByteArray>& arguments);

// The text of --help, made from the tables of commands and options.
QByteArray helpText();

}  // namespace rendix::cli
