#include "cli/Commands.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>

#include "app/ExclusionEditor.h"
#include "app/Failures.h"
#include "app/GameTypes.h"
#include "app/InstallSearch.h"
#include "app/MapPatterns.h"
#include "app/Settings.h"
#include "app/UnifiedDiff.h"
#include "maintenance/Backups.h"
#include "maintenance/ConfigCheck.h"
#include "maintenance/Randomizer.h"
#include "maintenance/Restore.h"
#include "maintenance/ServerPackages.h"
#include "platform/FileLock.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Processes.h"
#include "platform/Text.h"

namespace rendix::cli {

namespace {

QByteArray lines(const std::vector<QByteArray>& items) {
    QByteArray text;
    for (const QByteArray& item : items) {
        text += item + '\n';
    }
    return text;
}

// The packages of the "ServerPackages=" lines, sorted.
std::vector<QByteArray> sortedEntries(const QByteArray& bytes) {
    std::vector<QByteArray> packages = serverPackagesEntries(bytes);
    std::sort(packages.begin(), packages.end());
    return packages;
}

QByteArray countAndNames(const std::vector<QByteArray>& names) {
    if (names.empty()) {
        return "none";
    }
    QByteArrayList list(names.begin(), names.end());
    return QByteArray::number(names.size()) + " (" + list.join(", ") + ')';
}

// The ServerPackages lines that the command would remove and add, from a run on a copy.
QByteArray serverPackagesPreview(Session& session) {
    PrintingMessages preview(PrintMode{.quiet = true, .dryRun = true});
    const QByteArray real = session.install().configFile();
    const std::optional<QByteArray> after =
        runOnPrivateCopy(session, preview, &ModMain::ConfigFile, real,
                         [&] { UpdateServerPackages(session.state, preview); });
    session.messages.absorb(preview);
    if (!after || preview.failed()) {
        return "ServerPackages entries: unknown, see the failure above\n";
    }
    const std::vector<QByteArray> before = sortedEntries(platform::readFile(real).value_or(""));
    const std::vector<QByteArray> now = sortedEntries(*after);
    std::vector<QByteArray> removed;
    std::vector<QByteArray> added;
    std::set_difference(before.begin(), before.end(), now.begin(), now.end(),
                        std::back_inserter(removed));
    std::set_difference(now.begin(), now.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    return "ServerPackages entries to remove: " + countAndNames(removed) +
           "\nServerPackages entries to add: " + countAndNames(added) + '\n';
}

// For each game type the maps the randomizer would find, those it would leave out, and how
// many it would write.
QByteArray mapCounts(const Session& session, const Install& install) {
    QByteArray text;
    for (const GameType& type : kGameTypes) {
        const platform::Listing listing = install.listMaps(type.mapPattern);
        const qsizetype found = usableMapCount(listing);
        const qsizetype candidates =
            static_cast<qsizetype>(mapCandidates(listing, session.state.*type.excludes).size());
        const qsizetype excluded = found - candidates;
        const qsizetype perList = std::min<qsizetype>(candidates, session.state.MapsPerList);
        text += QByteArray(type.code) + ": " + QByteArray::number(found) + " maps found, " +
                QByteArray::number(excluded) + " excluded, " + QByteArray::number(perList) +
                " per list\n";
    }
    return text;
}

void status(Session& session) {
    const Install install = session.install();  // the preview below locates its copy
    QByteArray text = "Game directory: " + session.state.UTDir +
                      "\nConfiguration file: " + install.configFile() + "\nSettings file: " +
                      (session.settingsLoaded ? session.state.settingsPath
                                              : "none, the default exclusion lists") +
                      "\nMaps per list: " + QByteArray::number(session.state.MapsPerList) + '\n';
    text += mapCounts(session, install);
    text += serverPackagesPreview(session);
    QByteArrayList running;
    for (const QByteArray& program : platform::runningProgramsIn(install.programFolders())) {
        running << program;
    }
    text += "Game running: " + (running.isEmpty() ? "no" : running.join(", ")) + '\n';
    const std::vector<QByteArray> backups = listBackups(session);
    text += "Backups: " + QByteArray::number(backups.size()) + '\n' + lines(backups);
    session.messages.printData(text);
}

void randomize(Session& session) {
    RandomizeCommand(session.state, session.messages, session.ticked);
}

void serverPackages(Session& session) {
    ServerPackagesCommand(session.state, session.messages);
}

void backups(Session& session) {
    session.messages.printData(lines(listBackups(session)));
}

void deleteBackups(Session& session) {
    if (session.options.print.dryRun) {
        backups(session);
        return;
    }
    DeleteBackups(session.state, session.messages);
}

void restore(Session& session) {
    const Install& install = session.install();
    const std::optional<BackupInfo> backup =
        session.backup.isEmpty() ? latestBackup(install) : findBackup(install, session.backup);
    if (!backup) {
        session.messages.show(failureMessage(
            (session.backup.isEmpty()
                 ? QStringLiteral("There is no backup")
                 : platform::shownName(session.backup) + QStringLiteral(" is no backup")) +
                QStringLiteral(" of ") + platform::shownName(install.configFile()) +
                QStringLiteral(". Nothing was changed."),
            "No backup"));
        return;
    }
    if (session.options.print.dryRun) {
        const QByteArray& config = install.configFile();
        session.messages.printData(
            unifiedDiff(platform::readFile(config).value_or(QByteArray()),
                        platform::readFile(backup->path).value_or(QByteArray()), config, config));
        return;
    }
    RestoreBackup(session.state, session.messages, *backup);
}

void excludes(Session& session) {
    ExclusionEditor editor(session.state, session.messages);
    editor.fill(session.type);
    session.messages.printData(lines(editor.storedEntries()));
}

void installs(Session& session) {
    QByteArray text;
    for (const FoundInstall& found : findInstalls(session.state.UTDir, session.state.ConfigFile)) {
        text += found.gameDir + '\t' + (found.configFile.isEmpty() ? "-" : found.configFile) +
                '\t' + found.foundBy + '\n';
    }
    session.messages.printData(text);
}

// The row of a pattern in the excluded list: as stored, else the first equal but for letter
// case.
int findPatternRow(const std::vector<EditorLine>& lines, const QByteArray& pattern) {
    int folded = -1;
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        const EditorLine& line = lines[static_cast<std::size_t>(row)];
        if (line.covers && line.name == pattern) {
            return row;
        }
        if (line.covers && folded < 0 && platform::equalsFolded(line.name, pattern)) {
            folded = row;
        }
    }
    return folded;
}

// The row of a map in an editor list: its exact name, else the first equal but for letter
// case. The placeholder of a type without maps is no map.
int findRow(const std::vector<EditorLine>& lines, const QByteArray& map) {
    int folded = -1;
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        const QByteArray& name = lines[static_cast<std::size_t>(row)].name;
        if (!platform::equalsFolded(name.right(4), ".unr")) {
            continue;
        }
        if (name == map) {
            return row;
        }
        if (folded < 0 && platform::equalsFolded(name, map)) {
            folded = row;
        }
    }
    return folded;
}

// Moves the named maps from one list of the exclusion editor to the other and applies, as a
// user of the editor would. A map in neither list changes nothing and fails. The list is
// read afresh and written back under one hold of the settings file's lock, so that what
// the window or another rendix-cli stored since this run read Rendix.ini stays.
void moveMaps(Session& session, EditorList from) {
    const GameType& type = kGameTypes[static_cast<std::size_t>(session.type)];
    platform::FileLock lock;
    if (!refreshExclusionList(session.state, type, session.messages, lock)) {
        return;
    }
    ExclusionEditor editor(session.state, session.messages);
    editor.fill(session.type);
    const EditorList to =
        from == EditorList::Selected ? EditorList::Excluded : EditorList::Selected;
    std::vector<int> rows;
    std::vector<QByteArray> patterns;  // to exclude
    for (const QByteArray& map : session.maps) {
        if (isMapPattern(map)) {
            const int row = findPatternRow(editor.excludedLines(), map);
            if (from == EditorList::Selected) {
                patterns.push_back(map);  // one already stored changes nothing
            } else if (row >= 0) {
                rows.push_back(row);
            } else {
                session.messages.show(
                    failureMessage(platform::shownName(map) + QStringLiteral(" is not among the ") +
                                       QLatin1String(type.code) +
                                       QStringLiteral(" exclusions. Nothing was changed."),
                                   "Pattern not found"));
                return;
            }
            continue;
        }
        if (const int row = findRow(editor.lines(from), map); row >= 0) {
            rows.push_back(row);
        } else if (findRow(editor.lines(to), map) < 0) {
            session.messages.show(
                failureMessage(platform::shownName(map) + QStringLiteral(" is not among the ") +
                                   QLatin1String(type.code) + QStringLiteral(" maps in ") +
                                   platform::shownName(session.install().mapFoldersText()) +
                                   QStringLiteral(". Nothing was changed."),
                               "Map not found"));
            return;
        }
    }
    if (!rows.empty()) {
        editor.setSelectedRows(from, rows);
        from == EditorList::Selected ? editor.exclude() : editor.include();
    }
    for (const QByteArray& pattern : patterns) {
        editor.excludeMatching(pattern);
        if (session.messages.failed()) {
            return;  // the editor's box said why; nothing is stored
        }
    }
    if (!editor.applyEnabled()) {
        return;  // already where they were asked to go, or a lone tutorial map (its box)
    }
    const QByteArray& path = session.state.settingsPath;
    if (!platform::lookupFile(path)) {
        if (const Result written = WriteDefaultSettings(path); !written) {
            session.messages.show(writeFailedMessage(path, written));
            return;
        }
    }
    editor.apply(lock);
}

void exclude(Session& session) {
    moveMaps(session, EditorList::Selected);
}

void include(Session& session) {
    moveMaps(session, EditorList::Excluded);
}

QByteArray findingsJson(const std::vector<Finding>& findings) {
    QJsonArray array;
    for (const Finding& finding : findings) {
        array.append(QJsonObject{
            {QStringLiteral("file"), QFile::decodeName(finding.file)},
            {QStringLiteral("line"), finding.line ? QJsonValue(*finding.line) : QJsonValue()},
            {QStringLiteral("severity"), QLatin1String(severityName(finding.severity()))},
            {QStringLiteral("code"), QLatin1String(finding.code())},
            {QStringLiteral("text"), finding.text},
            {QStringLiteral("fix"),
             finding.fix ? QJsonValue(QLatin1String(finding.fix)) : QJsonValue()},
        });
    }
    return QJsonDocument(array).toJson();
}

// The findings a line each and their counts, or as JSON; errors make the run a failure, so
// that a start script can refuse to start the server.
void check(Session& session) {
    const ConfigCheck checked = CheckConfiguration(session.install());
    if (checked.failure) {
        session.messages.show(*checked.failure);
        return;
    }
    if (session.options.json) {
        session.messages.printData(findingsJson(checked.findings));
    } else {
        const bool quiet = session.options.print.quiet;
        QByteArray text;
        for (const Finding& finding : checked.findings) {
            if (!quiet || finding.severity() == Severity::Error) {
                text += findingLine(finding) + '\n';
            }
        }
        if (!quiet) {
            text += findingCounts(checked.findings) + '\n';
        }
        session.messages.printData(text);
    }
    if (hasErrors(checked.findings)) {
        session.messages.fail();
    }
}

constexpr std::array kCommands{
    Command{.name = "status",
            .arguments = Arguments::None,
            .help = "the game directory, the configuration file in effect, for each game type\n"
                    "the maps found, excluded and per list, the ServerPackages entries that\n"
                    "would be removed and added, and the backups; changes nothing",
            .changes = Changes::Nothing,
            .needsConfigFile = true,
            .dryRunsItself = false,
            .handler = status},
    Command{.name = "check",
            .arguments = Arguments::None,
            .help = "reports what in the configuration keeps the server from starting or\n"
                    "quietly plays less than set up (missing packages, gaps in map lists, ...),\n"
                    "a line each: FILE:LINE: SEVERITY: TEXT [CODE]; changes nothing; exit\n"
                    "status 1 on an error, 0 with warnings and notes only",
            .changes = Changes::Nothing,
            .needsConfigFile = true,
            .dryRunsItself = false,
            .handler = check},
    Command{.name = "randomize",
            .arguments = Arguments::Types,
            .help = "TYPE is dm, ctf, dom or as (any case); none means all four, in that order",
            .changes = Changes::GameConfig,
            .needsConfigFile = true,
            .dryRunsItself = false,
            .handler = randomize},
    Command{.name = "serverpackages",
            .arguments = Arguments::None,
            .help = "brings the ServerPackages= entries in line with the packages installed",
            .changes = Changes::GameConfig,
            .needsConfigFile = true,
            .dryRunsItself = false,
            .handler = serverPackages},
    Command{.name = "backups",
            .arguments = Arguments::None,
            .help = "lists the backups of the configuration file, one full path a line, oldest "
                    "first",
            .changes = Changes::Nothing,
            .needsConfigFile = true,
            .dryRunsItself = false,
            .handler = backups},
    Command{.name = "delete-backups",
            .arguments = Arguments::None,
            .help = "deletes them",
            .changes = Changes::Backups,
            .needsConfigFile = true,
            .dryRunsItself = true,
            .handler = deleteBackups},
    Command{.name = "restore",
            .arguments = Arguments::Backup,
            .help = "puts a backup back, after backing up the current file; BACKUP is its file\n"
                    "name or path (default: the most recently made one)",
            .changes = Changes::GameConfig,
            .needsConfigFile = true,
            .dryRunsItself = true,
            .handler = restore},
    Command{.name = "excludes",
            .arguments = Arguments::Type,
            .help = "lists the type's excluded maps, one a line",
            .changes = Changes::Nothing,
            .needsConfigFile = false,
            .dryRunsItself = false,
            .handler = excludes},
    Command{.name = "exclude",
            .arguments = Arguments::TypeAndMaps,
            .help = "adds maps to the type's exclusion list (names as in the maps folder, with "
                    ".unr);\n"
                    "a pattern with * or ? leaves out every map it matches, now and to come\n"
                    "(quote it for the shell: 'CTF-BT-*')",
            .changes = Changes::Settings,
            .needsConfigFile = false,
            .dryRunsItself = false,
            .handler = exclude},
    Command{.name = "include",
            .arguments = Arguments::TypeAndMaps,
            .help = "takes maps or patterns off it (the tutorial map stays excluded, as in the "
                    "editor)",
            .changes = Changes::Settings,
            .needsConfigFile = false,
            .dryRunsItself = false,
            .handler = include},
    Command{.name = "installs",
            .arguments = Arguments::None,
            .help = "the game installs found on this computer, one a line: the game directory, "
                    "the\n"
                    "configuration file in effect (- where you must choose) and what found it\n"
                    "(settings, OldUnreal installer, Steam, Heroic, Lutris, Wine, LinuxGSM), "
                    "tab-separated",
            .changes = Changes::Nothing,
            .needsConfigFile = false,
            .dryRunsItself = false,
            .handler = installs,
            .setup = Setup::SettingsIfAny},
};

}  // namespace

std::span<const Command> commands() {
    return kCommands;
}

const char* argumentSyntax(Arguments arguments) {
    switch (arguments) {
        case Arguments::Types:
            return "[TYPE...]";
        case Arguments::Type:
            return "TYPE";
        case Arguments::TypeAndMaps:
            return "TYPE MAP...";
        case Arguments::Backup:
            return "[BACKUP]";
        case Arguments::None:
            break;
    }
    return "";
}

}  // namespace rendix::cli
