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
#include "platform/DataTable.h"
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
using Step = std::function<void(Server&)>;
const Step nothing = [](Server&) {};

struct CliCase {
    std::string name;
    friend void PrintTo(const CliCase& row, std::ostream* os) { *os << row.name; }
    Args arguments;  // {ut}, {ini}, {settings} and {tmp} stand for the paths
    int exit;
    // The whole standard output; one that starts with "..." is a pattern in which each "..."
    // stands for any text.
    QByteArray out;
    QByteArray err;  // standard error holds this; "" means it is empty
    Files files = Files::Kept;
    Step setup = nothing;
    Step check = nothing;
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
// The configuration file becomes a link to a file of its bytes at {tmp}/`to`.
const auto linkConfigTo = [](Server& s, const char* to) {
    writeBytes(s.temp.file(to), readBytes(s.install.ini));
    ASSERT_TRUE(fs::remove(fsPath(s.install.ini)));
    ASSERT_TRUE(makeLink(s.temp.file(to), s.install.ini));
};
const auto excludes = [](Server& s, const char* expected, const char* type = "dm") {
    EXPECT_EQ(s.run({"-g", "{ut}", "excludes", type}).out, expected);
};

// The setups that the rows of data/cases.rows name, each with why a system cannot make it.
struct Setup {
    Step run;
    const char* (*unavailable)() = nullptr;
};
const std::map<QByteArray, Setup> kSetups = {
    {"", {nothing}},
    {"backups", {withBackups}},
    {"21-backups", {[](Server& s) {
         for (int i = 10; i < 31; ++i) {
             s.writeBackup("Rendix_UnrealTournament" + QByteArray::number(i) + ".ini",
                           fs::file_time_type::clock::now());
         }
     }}},
    {"backups-bashrc-link",
     {[](Server& s) {
          withBackups(s);
          linkConfigTo(s, "home/.bashrc");
      },
      linksUnavailable}},
    {"volume-link",
     {[](Server& s) { linkConfigTo(s, "volume/UnrealTournament.ini"); }, linksUnavailable}},
    {"lock-file-link",
     {[](Server& s) {
          ASSERT_TRUE(makeLink(s.temp.file("made"),
                               pathIn(s.install.system, ".UnrealTournament.ini.lock")));
      },
      linksUnavailable}},
    {"utf16-a-b",  // {tmp}/a, a line break, b.ini
     {[](Server& s) { writeBytes(s.temp.file("a\nb.ini"), QByteArray("\xff\xfe[\0M\0]\0", 8)); },
      posixNamesUnavailable}},
    {"linuxgsm",
     {[](Server& s) {
          writeBytes(s.temp.file("home/serverfiles/System64/ut99server.ini"),
                     "[Engine.Engine]\r\n");
          writeBytes(s.temp.file("home/ut99server"), "#!/bin/bash\n");
      },
      linuxLauncherPlacesUnavailable}},
    {"second-config", {[](Server& s) {
         writeBytes(pathIn(s.install.root, "System64/UnrealTournament.ini"),
                    readBytes(s.install.ini));
     }}},
    {"game", {[](Server& s) { s.startGame(); }}},
    {"read-only", {[](Server& s) { makeReadOnly(s.install.ini); }}},
    {"no-old-mods", {[](Server& s) {
         writeBytes(s.install.ini,
                    readBytes(s.install.ini).replace("ServerPackages=OldMod00", ";"));
     }}},
    {"unsound-settings", {[](Server& s) { writeBytes(s.settings, "[Main]\r\nUTDir=x\r\n"); }}},
    {"names-not-utf8",
     {[](Server& s) {
          makeGameInstall(s.temp.file("G\xff"));
          writeBytes(s.temp.file("G\xff/Maps/DM-\xff.unr"), {});
      },
      posixNamesUnavailable}},
    {"settings-lock-holder", {[](Server& s) { s.holder = holdLock(s.settings); }}},
    {"user-folder-beyond-ascii", {[](Server& s) {
         s.install = makeGameInstall(s.temp.file("J\xC3\xBCrgen M\xC3\xBCller/UT"));
         s.settings = s.temp.file("J\xC3\xBCrgen M\xC3\xBCller/Rendix.ini");
     }}},
    {"settings-beside-the-program", {[](Server& s) {
         s.program = pathIn(s.temp.file("bin"),
                            QFile::encodeName(QFileInfo(QStringLiteral(RENDIX_CLI)).fileName()));
         makeFolder(s.temp.file("bin"));
         QFile::copy(QStringLiteral(RENDIX_CLI), QFile::decodeName(s.program));
         writeBytes(
             s.temp.file("bin/Rendix.ini"),
             readBytes(s.settings).replace("DM.Ex[0]=", "DM.Ex[0]=DM-Morpheus.unr\r\nDM.Ex[1]="));
     }}},
};

// The checks after the run that the rows of data/cases.rows name.
const std::map<QByteArray, Step> kChecks = {
    {"", nothing},
    {"no-backups", [](Server& s) { EXPECT_EQ(s.run({"backups"}).out, ""); }},
    {"map-stored-byte-for-byte",
     [](Server& s) {
         EXPECT_TRUE(readBytes(s.temp.file("S\xff.ini")).contains("=DM-\xff.unr\r\n"));
     }},
    {"restored", [](Server& s) { EXPECT_EQ(readBytes(s.install.ini), "backup"); }},
    {"deck16-included-again",
     [](Server& s) {
         excludes(s, "DM-Deck16][.unr\nDM-Tutorial.unr\n");
         EXPECT_EQ(s.run({"-g", "{ut}", "include", "dm", "DM-Deck16][.unr"}).exit, 0);
         excludes(s, "DM-Tutorial.unr\n");
         EXPECT_EQ(s.run({"-g", "{ut}", "-q", "randomize", "dm"}).out, "");
         EXPECT_TRUE(
             s.run({"-g", "{ut}", "backups"}).out.startsWith(s.expand("{ut}/System/Rendix_")));
     }},
    {"pattern-included-again",
     [](Server& s) {
         excludes(s, "CTF-BT-*\nCTF-Tutorial.unr\n", "ctf");
         EXPECT_EQ(s.run({"include", "ctf", "ctf-bt-*"}).exit, 0);
         excludes(s, "CTF-Tutorial.unr\n", "ctf");
     }},
    {"only-second-config-changed",
     [](Server& s) {
         EXPECT_EQ(folderNames(pathIn(s.install.root, "System64")).size(), 3u);  // backup, lock
         EXPECT_EQ(readBytes(s.install.ini), unrealTournamentIni({}));
     }},
    {"all-in-the-volume",
     [](Server& s) {
         // The lock, the backup and the temporary file go beside the real file, in the volume.
         for (const QByteArray& name : folderNames(s.install.system)) {
             EXPECT_FALSE(name.startsWith('.') || name.startsWith("Rendix_")) << name.constData();
         }
         EXPECT_EQ(folderNames(s.temp.file("volume")).size(), 3u);  // the file, backup, lock
     }},
};

std::vector<CliCase> cliCases() {
    std::vector<CliCase> cases;
    for (const QList<QByteArray>& row : dataTable("cases.rows")) {
        const Setup& setup = kSetups.at(row[3]);
        Args arguments;
        for (const QByteArray& argument : row.mid(7)) {
            arguments.push_back(argument);
        }
        cases.push_back({row[0].toStdString(), arguments, row[1].toInt(), row[5], row[6],
                         row[2] == "changed" ? Files::Changed
                         : row[2] == "kept"  ? Files::Kept
                                             : Files::Untouched,
                         setup.run, kChecks.at(row[4]), setup.unavailable});
    }
    return cases;
}

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
    } else {
        EXPECT_EQ(outcome.out, out);
    }
    if (c.err.isEmpty()) {
        EXPECT_EQ(outcome.err, "");
    } else {
        EXPECT_TRUE(outcome.err.contains(server.expand(c.err))) << outcome.err.constData();
    }
    if (c.files != Files::Changed) {
        EXPECT_EQ(server.files(strict), before);
    }
    c.check(server);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliTest, ::testing::ValuesIn(cliCases()),
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
