#pragma once

#include <span>

#include "cli/Session.h"

// The commands of rendix-cli, in one table from which both --help and the dispatch come.
namespace rendix::cli {

// What a command takes after its name.
enum class Arguments {
    None,
    Types,        // [TYPE...]
    Type,         // TYPE
    TypeAndMaps,  // TYPE MAP...
    Backup,       // [BACKUP]
};

// What a command needs before it runs.
enum class Setup {
    GameDirectory,  // the settings and a game directory that passes the test (prepare)
    SettingsIfAny,  // the stored game directory, where a sound settings file holds one
};

struct Command {
    const char* name;
    Arguments arguments;
    // The help line; a line break continues it under the same column.
    const char* help;
    Changes changes;
    bool needsConfigFile;
    // Whether the handler itself shows what a dry run would do (instead of a run on a
    // private copy of the file).
    bool dryRunsItself;
    // Runs the command on a prepared session; failures go through session.messages.
    void (*handler)(Session&);
    Setup setup = Setup::GameDirectory;
};

std::span<const Command> commands();

// "[TYPE...]", "TYPE", "TYPE MAP..." or "".
const char* argumentSyntax(Arguments arguments);

}  // namespace rendix::cli
