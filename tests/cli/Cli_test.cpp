#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/Settings.h"
#include "cli/Commands.h"
#include "maintenance/Randomizer.h"
#include "maintenance/ServerPackages.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "support/ChildProcess.h"
#include "support/GameInstall.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

// The real rendix-cli, run as a process on generated installs, as a server's scripts run it.
namespace {

using namespace rendix;
using namespace rendix::testing;
namespace fs = std::filesystem;

// As a shell passes them: bytes, names that are not UTF-8 among them.
using Args = std::vector<QByteArray>;

// A game install with its Rendix.ini, a home folder, and the runs of rendix-cli on them.
struct Server {
    TempDir temp;
    GameInstall install = makeGameInstall(temp.file("UT"));
    QByteArray settings = temp.file("Rendix/Rendix.ini");
    QByteArray program = RENDIX_CLI;
    std::unique_ptr<Child> game;    // a running game of the install, where a case starts one
    std::unique_ptr<Child> holder;  // a process that holds a lock, where a case starts one

    Server() {
        writeSettingsFor(temp.file("Rendix"), install.root);
        makeFolder(temp.file("home"));
    }
    // The text with the paths put in ({ini-json}: the configuration file as a JSON string holds
    // it); a path written after one of them with "/" takes the system's separator, up to the
    // end of its line, field or list item.
    QByteArray expand(QByteArray text) const {
        const std::pair<const char*, QByteArray> paths[] = {
            {"{ut}", install.root},
            {"{ini}", install.ini},
            {"{ini-json}", QByteArray(install.ini).replace('\\', "\\\\")},
            {"{settings}", settings},
            {"{tmp}", temp.path()}};
        for (const auto& [name, path] : paths) {
            for (qsizetype at = text.indexOf(name); at >= 0; at = text.indexOf(name, at)) {
                text.replace(at, qstrlen(name), path);
                for (at += path.size();
                     at < text.size() && !QByteArrayView("\n\t,(){").contains(text[at]); ++at) {
                    if (text[at] == '/') {
                        text[at] = platform::separator().front();
                    }
                }
            }
        }
        return text;
    }
    // Without a display, with a home of its own; the settings file is given unless the
    // program runs from a copy that finds its own.
    ProgramRun run(const Args& arguments) const {
        Args argv{program};
        if (program == RENDIX_CLI) {
            argv.insert(argv.end(), {"-s", settings});
        }
        for (const QByteArray& argument : arguments) {
            argv.push_back(expand(argument));
        }
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            variables.remove(QLatin1String(name));
        }
        variables.insert(QStringLiteral("HOME"), QFile::decodeName(temp.file("home")));
        // A copy of the program elsewhere finds the libraries it needs where the build put them.
        variables.insert(QStringLiteral("PATH"),
                         QFile::decodeName(platform::parentPath(RENDIX_CLI)) +
                             QDir::listSeparator() + variables.value(QStringLiteral("PATH")));
        Args environment;
        for (const QString& variable : variables.toStringList()) {
            environment.push_back(QFile::encodeName(variable));
        }
        return runProgram(argv, environment);
    }
    // Every file and folder under the temporary folder with its bytes; lock files only when
    // `withLocks`.
    std::map<QByteArray, QByteArray> files(bool withLocks) const {
        std::map<QByteArray, QByteArray> all;
        for (const fs::directory_entry& entry :
             fs::recursive_directory_iterator(fsPath(temp.path()))) {
            const QByteArray path = fsBytes(entry.path());
            if (withLocks || !path.endsWith(".lock")) {
                all[path] = entry.is_regular_file() ? readBytes(path) : QByteArray("<folder>");
            }
        }
        return all;
    }
    void writeBackup(const QByteArray& name, fs::file_time_type time) const {
        const QByteArray path = pathIn(install.system, name);
        writeBytes(path, "backup");
        fs::last_write_time(fsPath(path), time);
    }
    // A program of the install that runs, as a game server would: a copy of the test program.
    void startGame() {
        const QString copy = QFile::decodeName(pathIn(install.system, "UnrealTournament.exe"));
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        game = std::make_unique<Child>("idle", QStringList(), copy);
        ASSERT_EQ(game->line(), "running");
    }
};

enum class Files { Changed, Kept, Untouched };  // Kept: lock files aside
const auto nothing = [](Server&) {};

struct CliCase {
    const char* name;
    friend void PrintTo(const CliCase& row, std::ostream* os) { *os << row.name; }
    Args arguments;  // {ut}, {ini}, {settings} and {tmp} stand for the paths
    int exit;
    // The whole standard output; nullptr: not checked. One that starts with "..." is a pattern
    // in which each "..." stands for any text.
    const char* out = nullptr;
    const char* err = "";  // standard error holds this; "" means it is empty
    Files files = Files::Kept;
    std::function<void(Server&)> setup = nothing;
    std::function<void(Server&)> check = nothing;
    const char* (*unavailable)() = nullptr;  // why this system cannot run the case, or nullptr
};

// Oldest first by the time in the name (the year from the file's time), a later "_n" of the
// same second after the first.
const auto withBackups = [](Server& s) {
    const fs::file_time_type now = fs::file_time_type::clock::now();
    s.writeBackup("Rendix_UnrealTournament11000_2.ini", now - std::chrono::seconds(20));
    s.writeBackup("rendix_unrealtournament11000.ini", now - std::chrono::seconds(20));
    s.writeBackup("Rendix_UnrealTournament1242357.ini", now - std::chrono::seconds(30));
};
#define BACKUPS                                        \
    "{ut}/System/rendix_unrealtournament11000.ini\n"   \
    "{ut}/System/Rendix_UnrealTournament11000_2.ini\n" \
    "{ut}/System/Rendix_UnrealTournament1242357.ini\n"

const auto secondConfig = [](Server& s) {
    writeBytes(pathIn(s.install.root, "System64/UnrealTournament.ini"), readBytes(s.install.ini));
};
// The configuration file becomes a link to a file of its bytes at {tmp}/`to`.
const auto linkConfigTo = [](Server& s, const char* to) {
    writeBytes(s.temp.file(to), readBytes(s.install.ini));
    ASSERT_TRUE(fs::remove(fsPath(s.install.ini)));
    ASSERT_TRUE(makeLink(s.temp.file(to), s.install.ini));
};
const auto excludes = [](Server& s, const char* expected, const char* type = "dm") {
    EXPECT_EQ(s.run({"-g", "{ut}", "excludes", type}).out, expected);
};

const CliCase kCases[] = {
    {"NoCommand", Args{}, 2, "",
     "rendix-cli: no command given\nUsage: rendix-cli [OPTIONS] COMMAND [ARGS]\n"},
    {"UnknownCommand", Args{"shuffle"}, 2, "", "rendix-cli: unknown command 'shuffle'\n"},
    {"UnknownType", Args{"randomize", "ctf", "tdm"}, 2, "",
     "rendix-cli: unknown game type 'tdm' (dm, ctf, dom or as)\nUsage: rendix-cli [OPTIONS] "
     "randomize [TYPE...]\n"},
    {"UnknownOption", Args{"--shuffle", "status"}, 2, "", "Unknown option 'shuffle'"},
    {"MissingType", Args{"excludes"}, 2, "", "missing game type"},
    {"MissingMap", Args{"exclude", "dm"}, 2, "",
     "missing map name\nUsage: rendix-cli [OPTIONS] exclude TYPE MAP...\n"},
    {"ExtraArgument", Args{"status", "dm"}, 2, "", "'status' takes no arguments"},
    {"TooManyMapsPerList", Args{"-m", "4097", "randomize"}, 2, "",
     "bad number for --maps-per-list: '4097' (1 to 4096)"},
    {"NoMapsPerList", Args{"--maps-per-list=0", "randomize"}, 2, "", "bad number"},
    {"EmptyGameDirectory", Args{"-g", "", "status"}, 2, "",
     "rendix-cli: empty value for --game-dir\nUsage: rendix-cli [OPTIONS] status\n",
     Files::Untouched},
    {"EmptyBackupName", Args{"restore", ""}, 2, "",
     "rendix-cli: empty backup name\nUsage: rendix-cli [OPTIONS] restore [BACKUP]\n",
     Files::Untouched, withBackups},
    {"JsonOfAnotherCommand", Args{"--json", "status"}, 2, "",
     "rendix-cli: --json is an option of 'check' only\nUsage: rendix-cli [OPTIONS] status\n"},
    {"Version", Args{"--version"}, 0, "rendix-cli 1.0.1\n"},

    {"Status", Args{"status"}, 0,
     "Game directory: {ut}\nConfiguration file: {ini}\nSettings file: {settings}\n"
     "Maps per list: 32\nDM: 28 maps found, 1 excluded, 27 per list\n"
     "CTF: 10 maps found, 1 excluded, 9 per list\nDOM: 11 maps found, 1 excluded, 10 per list\n"
     "AS: 8 maps found, 1 excluded, 7 per list\n"
     "ServerPackages entries to remove: 2 (OldMod001, OldMod002)\n"
     "ServerPackages entries to add: 3 (custom004, custom005, custom006)\nGame running: no\n"
     "Backups: 3\n" BACKUPS,
     "", Files::Untouched, withBackups},
    {"StatusWithoutSettings", Args{"-s", "{tmp}/none.ini", "-g", "{ut}", "-m", "5", "status"}, 0,
     "...Settings file: none, the default exclusion lists\nMaps per list: 5\n"
     "DM: 28 maps found, 1 excluded, 5 per list\n...",
     "", Files::Untouched},
    {"Utf16RefusedLineBreakInThePathEscaped", Args{"-c", "{tmp}/a\nb.ini", "randomize", "dm"}, 1,
     "Found 27 Deathmatch maps...\n",
     "rendix-cli: Unsupported file: Rendix cannot change {tmp}/a\\x0ab.ini because it is "
     "stored as UTF-16. The file was not changed.\n",
     Files::Kept,
     [](Server& s) { writeBytes(s.temp.file("a\nb.ini"), QByteArray("\xff\xfe[\0M\0]\0", 8)); },
     nothing, posixNamesUnavailable},
    {"CheckErrors", Args{"check"}, 1,
     "...{ini}:84: error: ServerPackages=OldMod001: no package file of that name (.u, .utx, .uax, "
     ".umx or .unr) is in the package folders, so the server does not start; it logs \"Failed "
     "to load\" and exits. Install the package, or remove the line. Add/Remove ServerPackages "
     "Entries removes it. [missing-package]\n{ini}:85: error: ServerPackages=OldMod002: ..."
     "[missing-package]\n2 errors, 0 warnings, 0 notes\n",
     "", Files::Untouched},
    {"CheckQuietly", Args{"-q", "check"}, 1,
     "...{ini}:84: error: ...[missing-package]\n{ini}:85: error: ...[missing-package]\n", "",
     Files::Untouched},
    {"CheckSound", Args{"check"}, 0, "0 errors, 0 warnings, 0 notes\n", "", Files::Untouched,
     [](Server& s) {
         writeBytes(s.install.ini,
                    readBytes(s.install.ini).replace("ServerPackages=OldMod00", ";"));
     }},
    {"CheckJson", Args{"--json", "check"}, 1,
     "...\"fix\": \"serverpackages\",\n        \"line\": 84,\n        \"severity\": \"error\",\n"
     "...\"line\": 85,...\n    {\n        \"code\": \"many-backups\",\n        \"file\": "
     "\"{ini-json}\",\n        \"fix\": \"delete-backups\",\n        \"line\": null,\n        "
     "\"severity\": \"note\",\n        \"text\": \"21 backups of this file lie beside it, 126 "
     "bytes in all. Delete Backup Files removes them.\"\n    }\n]\n",
     "", Files::Untouched,
     [](Server& s) {
         for (int i = 10; i < 31; ++i) {
             s.writeBackup("Rendix_UnrealTournament" + QByteArray::number(i) + ".ini",
                           fs::file_time_type::clock::now());
         }
     }},
    {"Backups", Args{"backups"}, 0, BACKUPS, "", Files::Untouched, withBackups},
    {"DeleteBackups", Args{"delete-backups"}, 0, "", "", Files::Changed, withBackups,
     [](Server& s) { EXPECT_EQ(s.run({"backups"}).out, ""); }},
    {"DeleteNoBackups", Args{"delete-backups"}, 0, "No backups to delete.\n"},
    {"Restore", Args{"restore", "Rendix_UnrealTournament11000_2.ini"}, 0,
     "Restored Rendix_UnrealTournament11000_2.ini.\n", "", Files::Changed, withBackups,
     [](Server& s) { EXPECT_EQ(readBytes(s.install.ini), "backup"); }},
    {"RestoreTheLatest", Args{"restore"}, 0, "Restored Rendix_UnrealTournament1242357.ini.\n", "",
     Files::Changed, withBackups},
    {"RestoreNoBackup", Args{"restore", "{ini}"}, 1, "",
     "rendix-cli: No backup: {ini} is no backup of {ini}. Nothing was changed.\n", Files::Kept,
     withBackups},
    {"ReadOnlyRefusedBeforeTheBackup", Args{"randomize", "dm"}, 1, "Found 27 Deathmatch maps...\n",
     "rendix-cli: Write failed: Rendix could not write {ini} because the file is read-only.",
     Files::Kept, [](Server& s) { makeReadOnly(s.install.ini); }},
    {"LinkToBashrcRefusedBeforeTheBackup", Args{"restore"}, 1, "",
     "rendix-cli: Write refused: Rendix does not write through {ini}: the link leads to "
     "{tmp}/home/.bashrc, which is not an .ini file.",
     Files::Kept,
     [](Server& s) {
         withBackups(s);
         linkConfigTo(s, "home/.bashrc");
     },
     nothing, linksUnavailable},

    {"DryRunRestore", Args{"-n", "restore", "{ut}/System/Rendix_UnrealTournament1242357.ini"}, 0,
     "...--- {ini}\n+++ {ini}\n@@ -1,...", "", Files::Untouched, withBackups},
    {"DryRunDeleteBackups", Args{"-n", "delete-backups"}, 0, BACKUPS, "", Files::Untouched,
     withBackups},
    {"DryRunWhileTheGameRuns", Args{"--dry-run", "serverpackages"}, 0,
     "...--- {ini}\n+++ {ini}\n@@ -...\n-ServerPackages=OldMod001\r\n...\n"
     "+ServerPackages=custom004\r\n...",
     "", Files::Untouched, [](Server& s) { s.startGame(); }},
    {"DryRunExcludeCreatingSettings",
     Args{"-s", "{tmp}/none.ini", "-g", "{ut}", "-n", "exclude", "ctf", "CTF-Face.unr"}, 0,
     "...--- {tmp}/none.ini\n+++ {tmp}/none.ini\n@@ -0,0 +1,...\n+[Main]\r\n+UTDir=\r\n"
     "...\n+CTF.Ex[0]=CTF-Face.unr\r\n...",
     "", Files::Untouched},

    {"SettingsMissing", Args{"-s", "{tmp}/none.ini", "status"}, 1, "",
     "rendix-cli: Settings file: {tmp}/none.ini does not exist. Give --game-dir DIR, or start "
     "rendix once to choose the game directory.\n",
     Files::Untouched},
    {"UnsoundSettingsNeverOverwritten", Args{"-g", "{ut}", "exclude", "dm", "DM-Deck16][.unr"}, 1,
     "", "is not a sound Rendix.ini", Files::Kept,
     [](Server& s) { writeBytes(s.settings, "[Main]\r\nUTDir=x\r\n"); }},
    {"UnknownMapWithLineBreaks", Args{"exclude", "dm", "DM-Deck16][.unr", "DM-\r\nEvil.unr"}, 1, "",
     "rendix-cli: Map not found: DM-\\x0d\\x0aEvil.unr is not among the DM maps in {ut}/Maps, "
     "{ut}/BonusPack/Maps. Nothing was changed.\n",
     Files::Kept},
    // The bytes of the command line are the names: a game directory, a settings file and a
    // map whose names are not UTF-8.
    {"NamesThatAreNotUtf8",
     Args{"-s", "{tmp}/S\xff.ini", "-g", "{tmp}/G\xff", "exclude", "dm", "DM-\xff.unr"}, 0, "", "",
     Files::Changed,
     [](Server& s) {
         makeGameInstall(s.temp.file("G\xff"));
         writeBytes(s.temp.file("G\xff/Maps/DM-\xff.unr"), {});
     },
     [](Server& s) {
         EXPECT_TRUE(readBytes(s.temp.file("S\xff.ini")).contains("=DM-\xff.unr\r\n"));
     },
     posixNamesUnavailable},
    // Windows passes the arguments as UTF-16; the output holds the names as UTF-8. Rendix.ini
    // is made anew there.
    {"UserFolderBeyondAscii", Args{"-g", "{ut}", "exclude", "dm", "dm-deck16][.unr"}, 0, "", "",
     Files::Changed,
     [](Server& s) {
         s.install = makeGameInstall(s.temp.file("J\xC3\xBCrgen M\xC3\xBCller/UT"));
         s.settings = s.temp.file("J\xC3\xBCrgen M\xC3\xBCller/Rendix.ini");
     },
     [](Server& s) {
         excludes(s, "DM-Deck16][.unr\nDM-Tutorial.unr\n");
         EXPECT_EQ(s.run({"-g", "{ut}", "include", "dm", "DM-Deck16][.unr"}).exit, 0);
         excludes(s, "DM-Tutorial.unr\n");
         EXPECT_EQ(s.run({"-g", "{ut}", "-q", "randomize", "dm"}).out, "");
         EXPECT_TRUE(
             s.run({"-g", "{ut}", "backups"}).out.startsWith(s.expand("{ut}/System/Rendix_")));
     }},
    {"Excludes", Args{"excludes", "Dom"}, 0, "DOM-Tutorial.unr\n", "", Files::Untouched},
    {"ExcludePattern", Args{"exclude", "ctf", "CTF-BT-*"}, 0, "", "", Files::Changed, nothing,
     [](Server& s) {
         excludes(s, "CTF-BT-*\nCTF-Tutorial.unr\n", "ctf");
         EXPECT_EQ(s.run({"include", "ctf", "ctf-bt-*"}).exit, 0);
         excludes(s, "CTF-Tutorial.unr\n", "ctf");
     }},
    {"IncludeUnknownPattern", Args{"include", "ctf", "CTF-XV-*"}, 1, "",
     "rendix-cli: Pattern not found: CTF-XV-* is not among the CTF exclusions. Nothing was "
     "changed.\n",
     Files::Kept},
    {"ExcludeInvalidPattern", Args{"exclude", "ctf", "../CTF-*"}, 1, "",
     "rendix-cli: Invalid Pattern: ../CTF-* cannot be stored: A map file name holds no folder",
     Files::Kept},
    {"IncludeTutorial", Args{"include", "dm", "DM-Tutorial.unr"}, 0,
     "UnrealTournament will not accept a tutorial map in the map list.\n", "", Files::Kept},
    {"Installs", Args{"installs"}, 0,
     "{ut}\t{ini}\tsettings\n{tmp}/home/serverfiles\t{tmp}/home/serverfiles/System64/"
     "ut99server.ini\tLinuxGSM\n",
     "", Files::Untouched,
     [](Server& s) {
         writeBytes(s.temp.file("home/serverfiles/System64/ut99server.ini"), "[Engine.Engine]\r\n");
         writeBytes(s.temp.file("home/ut99server"), "#!/bin/bash\n");
     },
     nothing, linuxLauncherPlacesUnavailable},
    {"InstallsWithoutSettings", Args{"-s", "{tmp}/none.ini", "installs"}, 0, "", "",
     Files::Untouched},

    {"InvalidGameDirectory", Args{"-g", "{tmp}/nowhere/", "status"}, 1, "",
     "rendix-cli: Invalid path: Unreal Tournament is not in the specified location! "
     "({tmp}/nowhere)\n",
     Files::Untouched},
    {"ConfigNotFound", Args{"-c", "{tmp}/ut99server.ini", "randomize"}, 1, "",
     "rendix-cli: File Not Found: {tmp}/ut99server.ini not found.\n", Files::Untouched},
    {"SeveralConfigFiles", Args{"randomize"}, 1, "",
     "rendix-cli: Choose a configuration file: {ut} has several configuration files: {ini}, "
     "{ut}/System64/UnrealTournament.ini. Give --config FILE, or choose one in rendix.\n",
     Files::Untouched, secondConfig},
    {"ConfigChosen", Args{"-c", "{ut}/System64/UnrealTournament.ini", "-q", "randomize", "dm"}, 0,
     "", "", Files::Changed, secondConfig,
     [](Server& s) {
         EXPECT_EQ(folderNames(pathIn(s.install.root, "System64")).size(), 3u);  // backup, lock
         EXPECT_EQ(readBytes(s.install.ini), unrealTournamentIni({}));
     }},
    {"GameRunning", Args{"randomize"}, 3, "",
     "rendix-cli: Game running: Unreal Tournament is running ({ut}/System/UnrealTournament.exe).",
     Files::Kept, [](Server& s) { s.startGame(); }},
    {"GameRunningForced", Args{"--force", "randomize", "dm"}, 0,
     "Found 27 Deathmatch maps... randomized list.\n", "", Files::Changed,
     [](Server& s) { s.startGame(); }},
    {"ConfigLinkedIntoAVolume", Args{"-q", "randomize", "dm"}, 0, "", "", Files::Changed,
     [](Server& s) { linkConfigTo(s, "volume/UnrealTournament.ini"); },
     [](Server& s) {
         // The lock, the backup and the temporary file go beside the real file, in the volume.
         for (const QByteArray& name : folderNames(s.install.system)) {
             EXPECT_FALSE(name.startsWith('.') || name.startsWith("Rendix_")) << name.constData();
         }
         EXPECT_EQ(folderNames(s.temp.file("volume")).size(), 3u);  // the file, backup, lock
     },
     linksUnavailable},
    {"LockFileIsALink", Args{"randomize", "dm"}, 1, "",
     "rendix-cli: Write failed: Rendix could not write {ini}: the lock file "
     "{ut}/System/.UnrealTournament.ini.lock is a symbolic link. It still holds what it held "
     "before.\n",
     Files::Kept,
     [](Server& s) {
         ASSERT_TRUE(
             makeLink(s.temp.file("made"), pathIn(s.install.system, ".UnrealTournament.ini.lock")));
     },
     nothing, linksUnavailable},
    {"LiveSettingsLockHolder", Args{"exclude", "dm", "DM-Deck16][.unr"}, 1, "",
     "rendix-cli: Busy: Another Rendix is changing {settings} right now.", Files::Kept,
     [](Server& s) { s.holder = holdLock(s.settings); }},
    {"SettingsBesideTheProgram", Args{"excludes", "dm"}, 0, "DM-Morpheus.unr\nDM-Tutorial.unr\n",
     "", Files::Kept,
     [](Server& s) {
         s.program = pathIn(s.temp.file("bin"),
                            QFile::encodeName(QFileInfo(QStringLiteral(RENDIX_CLI)).fileName()));
         makeFolder(s.temp.file("bin"));
         QFile::copy(QStringLiteral(RENDIX_CLI), QFile::decodeName(s.program));
         writeBytes(
             s.temp.file("bin/Rendix.ini"),
             readBytes(s.settings).replace("DM.Ex[0]=", "DM.Ex[0]=DM-Morpheus.unr\r\nDM.Ex[1]="));
     }},
};

class CliTest : public ::testing::TestWithParam<CliCase> {};

TEST_P(CliTest, RunsAsAServerScriptWould) {
    const CliCase& c = GetParam();
    if (const char* why = c.unavailable ? c.unavailable() : nullptr) {
        GTEST_SKIP() << why;
    }
    Server server;
    c.setup(server);
    const bool strict = c.files == Files::Untouched;
    const auto before = server.files(strict);
    const ProgramRun outcome = server.run(c.arguments);
    EXPECT_EQ(outcome.exit, c.exit) << outcome.err.constData();
    const QByteArray out = server.expand(c.out);
    if (out.startsWith("...")) {
        QStringList pieces = QString::fromUtf8(out).split(QStringLiteral("..."));
        for (QString& piece : pieces) {
            piece = QRegularExpression::escape(piece);
        }
        const QRegularExpression pattern(
            QRegularExpression::anchoredPattern(pieces.join(QStringLiteral(".*"))),
            QRegularExpression::DotMatchesEverythingOption);
        EXPECT_TRUE(pattern.match(QString::fromUtf8(outcome.out)).hasMatch())
            << outcome.out.constData();
    } else if (c.out) {
        EXPECT_EQ(outcome.out, out);
    }
    if (*c.err == '\0') {
        EXPECT_EQ(outcome.err, "");
    } else {
        EXPECT_TRUE(outcome.err.contains(server.expand(c.err))) << outcome.err.constData();
    }
    if (c.files != Files::Changed) {
        EXPECT_EQ(server.files(strict), before);
    }
    c.check(server);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

// Every command of the table once, in its order, with its help; then every option.
TEST(CliHelp, ListsEachCommandOnceInOrderThenTheOptions) {
    const QByteArray help = Server().run({"--help"}).out;
    EXPECT_TRUE(help.startsWith("rendix-cli [OPTIONS] COMMAND [ARGS]\n\nCommands:\n"));
    qsizetype at = 0;
    for (const cli::Command& command : cli::commands()) {
        const QByteArray entry = "\n  " + QByteArray(command.name) + ' ';
        EXPECT_EQ(help.count(entry), 1) << command.name;
        EXPECT_GT(help.indexOf(entry), at) << command.name;
        at = help.indexOf(entry);
        EXPECT_GT(help.indexOf(QByteArray(command.help).split('\n').back() + '\n', at), at);
    }
    for (const char* option :
         {"\nOptions:\n", "-g, --game-dir DIR ", "-c, --config FILE ", "-s, --settings FILE ",
          "-m, --maps-per-list N ", "-n, --dry-run ", "-f, --force ", "-q, --quiet ", "--json ",
          "-h, --help, --version\n"}) {
        EXPECT_GT(help.indexOf(option, at), at) << option;
        at = help.indexOf(option, at);
    }
}

// Contents of the backups, whatever their time-stamped names.
std::multiset<QByteArray> backupContents(const QByteArray& folder) {
    std::multiset<QByteArray> contents;
    for (const QByteArray& name : folderNames(folder)) {
        if (name.startsWith("Rendix_")) {
            contents.insert(readBytes(pathIn(folder, name)));
        }
    }
    return contents;
}

// With one map per type the shuffle has one outcome, so the window's commands and rendix-cli
// must leave the same bytes.
TEST(CliSameBytes, AsTheWindowsCommands) {
    const GameInstallOptions oneMapEach{.extraMapsPerType = 1, .stockMaps = false};
    Server server;
    const GameInstall window = makeGameInstall(server.temp.file("Window"), oneMapEach);
    server.install = makeGameInstall(server.temp.file("Cli"), oneMapEach);
    {
        platform::TestSeam seam;
        seam.setLocalTime({2024, 12, 4, 23, 5, 7});
        ModMain state;
        state.UTDir = window.root;
        loadDefaultExclusionLists(state);
        ScriptedMessages messages;
        RandomizeCommand(state, messages, {true, true, true, true});
        ServerPackagesCommand(state, messages);
        ASSERT_TRUE(messages.shown.empty());
    }
    EXPECT_EQ(server.run({"-s", "{tmp}/none.ini", "-g", "{ut}", "randomize"}).out,
              "Found 1 Deathmatch maps... randomized list.\nFound 1 CTF maps... randomized list.\n"
              "Found 1 Domination maps... randomized list.\nFound 1 Assault maps... randomized "
              "list.\nRandomized all map lists.\n");
    EXPECT_EQ(server.run({"-s", "{tmp}/none.ini", "-g", "{ut}", "serverpackages"}).out,
              "Removed 2 serverpackages entries... Added 3 serverpackages entries.\n");
    EXPECT_EQ(readBytes(server.install.ini), readBytes(window.ini));
    EXPECT_EQ(backupContents(server.install.system), backupContents(window.system));
    EXPECT_EQ(backupContents(window.system).size(), 6u);
}

// A map excluded through the window (or another rendix-cli) after this run read Rendix.ini
// stays excluded when the run stores its own change.
TEST(CliExclude, KeepsWhatAnotherRendixStoredMeanwhile) {
    Server server;
    cli::Session session;
    session.options.settings = server.settings;
    session.options.gameDir = server.install.root;
    session.maps = {"DM-Deck16][.unr"};
    ASSERT_TRUE(cli::prepare(session));
    writeBytes(
        server.settings,
        readBytes(server.settings).replace("DM.Ex[0]=", "DM.Ex[0]=DM-Morpheus.unr\r\nDM.Ex[1]="));
    const auto exclude =
        std::find_if(cli::commands().begin(), cli::commands().end(),
                     [](const cli::Command& c) { return c.name == std::string_view("exclude"); });
    ASSERT_NE(exclude, cli::commands().end());
    exclude->handler(session);
    EXPECT_FALSE(session.messages.failed());
    excludes(server, "DM-Deck16][.unr\nDM-Morpheus.unr\nDM-Tutorial.unr\n");
}

}  // namespace
