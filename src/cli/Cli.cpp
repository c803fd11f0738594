#include "cli/Cli.h"

#include <QCommandLineParser>

#include <array>
#include <optional>

#include "app/Failures.h"
#include "app/GameTypes.h"
#include "app/UnifiedDiff.h"
#include "app/Version.h"
#include "cli/Commands.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix::cli {

namespace {

struct OptionSpec {
    const char* shortName = nullptr;  // nullptr: long name only
    const char* longName = nullptr;
    const char* valueName = nullptr;  // nullptr: a switch
    const char* help = nullptr;       // nullptr: listed together on the last line of the help
    const char* command = nullptr;    // the one command that takes it; nullptr: every command
};

constexpr std::array kOptions{
    OptionSpec{.shortName = "g",
               .longName = "game-dir",
               .valueName = "DIR",
               .help = "the game directory (default: the one stored in Rendix.ini)"},
    OptionSpec{.shortName = "c",
               .longName = "config",
               .valueName = "FILE",
               .help = "the configuration file to edit (default: as the window chooses it)"},
    OptionSpec{.shortName = "s",
               .longName = "settings",
               .valueName = "FILE",
               .help = "the settings file (default: the one the window uses)"},
    OptionSpec{.shortName = "m",
               .longName = "maps-per-list",
               .valueName = "N",
               .help = "for this run, 1 to 4096"},
    OptionSpec{.shortName = "n",
               .longName = "dry-run",
               .help = "change nothing, make no backup; print what would change as a unified diff"},
    OptionSpec{.shortName = "f", .longName = "force", .help = "go on while the game is running"},
    OptionSpec{.shortName = "q", .longName = "quiet", .help = "print failures only"},
    OptionSpec{.longName = "json",
               .help = "check: print the findings as one JSON array",
               .command = "check"},
    OptionSpec{.shortName = "h", .longName = "help"},
    OptionSpec{.longName = "version"},
};

// Where the help lines of commands and options start.
constexpr qsizetype kHelpColumn = 26;

// QCommandLineParser takes text, but names and paths must reach the file system as the bytes
// given. So each argument is decoded from UTF-8, and a byte that is no part of a UTF-8
// character becomes the lone surrogate U+DC00 + byte (a code unit that no UTF-8 text
// decodes to): argumentBytes(argumentText(b)) == b for every b.
constexpr char16_t kEscapedByte = 0xDC00;

QString argumentText(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype length = 1;
        if (static_cast<unsigned char>(bytes[at]) >= 0x80) {
            length = 0;
            // The shortest sequence that decodes to one character and encodes back alike.
            for (qsizetype n = 2; n <= 4 && at + n <= bytes.size() && length == 0; ++n) {
                const QByteArray sequence = bytes.sliced(at, n);
                const QString decoded = QString::fromUtf8(sequence);
                if (decoded.toUtf8() == sequence && decoded.toUcs4().size() == 1) {
                    length = n;
                }
            }
        }
        if (length == 0) {
            text +=
                QChar(static_cast<char16_t>(kEscapedByte + static_cast<unsigned char>(bytes[at])));
            ++at;
        } else {
            text += QString::fromUtf8(bytes.sliced(at, length));
            at += length;
        }
    }
    return text;
}

QByteArray argumentBytes(const QString& text) {
    QByteArray bytes;
    qsizetype from = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at].unicode();
        const bool paired = at > 0 && text[at - 1].isHighSurrogate();
        if (unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF && !paired) {
            bytes += text.sliced(from, at - from).toUtf8();
            bytes += static_cast<char>(unit - kEscapedByte);
            from = at + 1;
        }
    }
    return bytes + text.sliced(from).toUtf8();
}

QByteArray helpEntry(const QByteArray& left, const char* help) {
    QByteArray text = "  " + left;
    const QList<QByteArray> helpLines = QByteArray(help).split('\n');
    for (qsizetype i = 0; i < helpLines.size(); ++i) {
        if (i > 0 || text.size() >= kHelpColumn) {
            text += '\n';
            text += QByteArray(kHelpColumn, ' ');
        } else {
            text += QByteArray(kHelpColumn - text.size(), ' ');
        }
        text += helpLines[i];
    }
    return text + '\n';
}

QByteArray optionNames(const OptionSpec& option) {
    QByteArray names = option.shortName ? "-" + QByteArray(option.shortName) + ", " : "";
    names += "--" + QByteArray(option.longName);
    return option.valueName ? names + ' ' + option.valueName : names;
}

QByteArray commandUsage(const Command& command) {
    const QByteArray syntax = argumentSyntax(command.arguments);
    return syntax.isEmpty() ? command.name : command.name + (' ' + syntax);
}

ExitStatus usageError(const QString& why, const Command* command) {
    QByteArrayList names;
    for (const Command& known : commands()) {
        names << known.name;
    }
    // `why` may quote what was given: its bytes, and no control character, are shown.
    writeErr("rendix-cli: " + platform::shownName(argumentBytes(why)).toLocal8Bit() +
             "\nUsage: rendix-cli [OPTIONS] " +
             (command ? commandUsage(*command) : QByteArray("COMMAND [ARGS]")) + "\nCommands: " +
             names.join(", ") + "\nTry 'rendix-cli --help' for more information.\n");
    return ExitStatus::BadUsage;
}

std::optional<int> gameType(const QString& given) {
    for (std::size_t i = 0; i < kGameTypes.size(); ++i) {
        if (platform::equalsFolded(given.toUtf8(), kGameTypes[i].code)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// Reads the arguments after the command's name into the session; on a mistake says why.
std::optional<QString> readArguments(const Command& command, const QStringList& arguments,
                                     Session& session) {
    const QString typeHelp = QStringLiteral(" (dm, ctf, dom or as)");
    const auto type = [&](const QString& given) -> std::optional<QString> {
        const std::optional<int> index = gameType(given);
        if (!index) {
            return QStringLiteral("unknown game type '") + given + QLatin1Char('\'') + typeHelp;
        }
        session.type = *index;
        session.ticked[static_cast<std::size_t>(*index)] = true;
        return std::nullopt;
    };
    switch (command.arguments) {
        case Arguments::None:
            if (!arguments.isEmpty()) {
                return QStringLiteral("'") + QLatin1String(command.name) +
                       QStringLiteral("' takes no arguments");
            }
            return std::nullopt;
        case Arguments::Types:
            for (const QString& given : arguments) {
                if (std::optional<QString> wrong = type(given)) {
                    return wrong;
                }
            }
            if (arguments.isEmpty()) {
                session.ticked.fill(true);
            }
            return std::nullopt;
        case Arguments::Backup:
            if (arguments.size() > 1) {
                return QStringLiteral("too many arguments");
            }
            // Given but empty is no way to ask for the latest backup.
            if (arguments.size() == 1 && arguments.front().isEmpty()) {
                return QStringLiteral("empty backup name");
            }
            session.backup = argumentBytes(arguments.value(0));
            return std::nullopt;
        case Arguments::Type:
        case Arguments::TypeAndMaps:
            break;
    }
    if (arguments.isEmpty()) {
        return QStringLiteral("missing game type") + typeHelp;
    }
    if (std::optional<QString> wrong = type(arguments.front())) {
        return wrong;
    }
    if (command.arguments == Arguments::Type) {
        return arguments.size() > 1 ? std::optional(QStringLiteral("too many arguments"))
                                    : std::nullopt;
    }
    if (arguments.size() < 2) {
        return QStringLiteral("missing map name");
    }
    for (const QString& map : arguments.mid(1)) {
        session.maps.push_back(argumentBytes(map));
    }
    return std::nullopt;
}

ExitStatus outcome(const Session& session) {
    if (session.messages.refused()) {
        return ExitStatus::GameRunning;
    }
    return session.messages.failed() ? ExitStatus::Failure : ExitStatus::Done;
}

// A dry run: the command on a private copy of the file it would change, then the diff.
void dryRun(const Command& command, Session& session) {
    const bool settings = command.changes == Changes::Settings;
    const QByteArray real = settings ? session.state.settingsPath : session.install().configFile();
    const std::optional<QByteArray> after = runOnPrivateCopy(
        session, session.messages, settings ? &ModMain::settingsPath : &ModMain::ConfigFile, real,
        [&] { command.handler(session); });
    if (after && !session.messages.failed()) {
        session.messages.printData(
            unifiedDiff(platform::readFile(real).value_or(QByteArray()), *after, real, real));
    }
}

ExitStatus dispatch(const Command& command, Session& session) {
    if (command.setup == Setup::SettingsIfAny) {
        loadSettingsIfAny(session);
    } else if (!prepare(session)) {
        return outcome(session);
    }
    // A running game: the core commands ask, and the printing messages answer No unless
    // --force, which makes the exit status 3.
    const PrintMode& mode = session.options.print;
    // delete-backups lists in a dry run what it would delete; it changes no file's content.
    if (mode.dryRun && !command.dryRunsItself &&
        (command.changes == Changes::GameConfig || command.changes == Changes::Settings)) {
        dryRun(command, session);
        return outcome(session);
    }
    // One writer at a time: the core commands take the lock of the file they change.
    command.handler(session);
    session.messages.finish();
    return outcome(session);
}

}  // namespace

QByteArray helpText() {
    QByteArray text = "rendix-cli [OPTIONS] COMMAND [ARGS]\n\nCommands:\n";
    for (const Command& command : commands()) {
        text += helpEntry(commandUsage(command), command.help);
    }
    text += "\nOptions:\n";
    QByteArrayList together;
    for (const OptionSpec& option : kOptions) {
        if (option.help) {
            text += helpEntry(optionNames(option), option.help);
        } else {
            together << optionNames(option);
        }
    }
    return text + "  " + together.join(", ") + '\n';
}

ExitStatus run(const std::vector<QByteArray>& argumentList) {
    QStringList arguments;
    for (const QByteArray& argument : argumentList) {
        arguments << argumentText(argument);
    }
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const OptionSpec& option : kOptions) {
        QStringList names;
        if (option.shortName) {
            names << QLatin1String(option.shortName);
        }
        names << QLatin1String(option.longName);
        QCommandLineOption parsed(names);
        if (option.valueName) {
            parsed.setValueName(QLatin1String(option.valueName));
        }
        parser.addOption(parsed);
    }
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText(), nullptr);
    }
    if (parser.isSet(QStringLiteral("help"))) {
        writeOut(helpText());
        return ExitStatus::Done;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        writeOut(QByteArray("rendix-cli ") + kVersionText + '\n');
        return ExitStatus::Done;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        return usageError(QStringLiteral("no command given"), nullptr);
    }
    const auto known = std::find_if(commands().begin(), commands().end(), [&](const Command& c) {
        return positional.front() == QLatin1String(c.name);
    });
    if (known == commands().end()) {
        return usageError(
            QStringLiteral("unknown command '") + positional.front() + QLatin1Char('\''), nullptr);
    }
    const Command& command = *known;
    Session session;
    session.changes = command.changes;
    session.needsConfigFile = command.needsConfigFile;
    if (const std::optional<QString> wrong = readArguments(command, positional.mid(1), session)) {
        return usageError(*wrong, &command);
    }
    for (const OptionSpec& option : kOptions) {
        if (option.command && QByteArrayView(command.name) != option.command &&
            parser.isSet(QLatin1String(option.longName))) {
            return usageError(QStringLiteral("--") + QLatin1String(option.longName) +
                                  QStringLiteral(" is an option of '") +
                                  QLatin1String(option.command) + QStringLiteral("' only"),
                              &command);
        }
    }
    if (parser.isSet(QStringLiteral("maps-per-list"))) {
        const QString given = parser.value(QStringLiteral("maps-per-list"));
        bool ok = false;
        const int slots = given.toInt(&ok);
        if (!ok || slots < 1 || slots > kMaxMapsPerList) {
            return usageError(QStringLiteral("bad number for --maps-per-list: '") + given +
                                  QStringLiteral("' (1 to ") + QString::number(kMaxMapsPerList) +
                                  QLatin1Char(')'),
                              &command);
        }
        session.options.mapsPerList = slots;
    }
    for (const auto& [name, field] :
         {std::pair{"game-dir", &Options::gameDir}, std::pair{"config", &Options::config},
          std::pair{"settings", &Options::settings}}) {
        if (!parser.isSet(QLatin1String(name))) {
            continue;
        }
        // An empty value would quietly stand for "not given".
        const QByteArray given = argumentBytes(parser.value(QLatin1String(name)));
        if (given.isEmpty()) {
            return usageError(QStringLiteral("empty value for --") + QLatin1String(name), &command);
        }
        session.options.*field = absolutePath(given);
    }
    session.options.print = {.quiet = parser.isSet(QStringLiteral("quiet")),
                             .dryRun = parser.isSet(QStringLiteral("dry-run")),
                             .force = parser.isSet(QStringLiteral("force"))};
    session.options.json = parser.isSet(QStringLiteral("json"));
    session.messages = PrintingMessages(session.options.print);
    return dispatch(command, session);
}

}  // namespace rendix::cli
