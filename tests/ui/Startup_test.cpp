#include <QFile>
#include <QLineEdit>

#include "app/Failures.h"
#include "app/GameTypes.h"
#include "app/Startup.h"
#include "ui/ShellFixture.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"

namespace rendix::testing {
namespace {

using Lists = std::array<ExclusionList, 4>;

// A sound settings file; "%UT%" stands for the game directory. It has a gap in the AS keys
// and a CTF section without keys.
const QByteArray kSound =
    "[Main]\r\nUTDir=%UT%\r\n\r\n"
    "[MapExcludes.DM]\r\nDM.Ex[0]=DM-Deck16][.unr\r\nDM.Ex[1]=DM-Morpheus.unr\r\n\r\n"
    "[MapExcludes.CTF]\r\n\r\n"
    "[MapExcludes.DOM]\r\nDOM.Ex[0]=DOM-Tutorial.unr\r\n\r\n"
    "[MapExcludes.AS]\r\nAS.Ex[0]=AS-Frigate.unr\r\nAS.Ex[2]=AS-Guardia.unr\r\n";
const Lists kSoundLists{
    {{"DM-Deck16][.unr", "DM-Morpheus.unr"}, {""}, {"DOM-Tutorial.unr"}, {"AS-Frigate.unr", ""}}};
const Lists kDefaultLists{
    {{"DM-Tutorial.unr"}, {"CTF-Tutorial.unr"}, {"DOM-Tutorial.unr"}, {"AS-Tutorial.unr"}}};

QByteArray edited(QByteArray bytes, const char* from, const char* to) {
    return bytes.replace(from, to);
}

enum class After { Unchanged, Defaults, Missing };

struct StartupCase {
    const char* name;
    std::optional<QByteArray> settings;  // nothing: no settings file
    StartupEnding ending;
    After file = After::Unchanged;
    std::vector<QByteArray> gameFiles = {"UnrealTournament.ini"};
    QByteArray storedName = "Rendix.ini";
    QByteArray utDir = "%UT%";  // what UTDir is afterwards
    bool failWrites = false;
};

Lists listsOf(const ModMain& state) {
    Lists lists;
    for (size_t i = 0; i < kGameTypes.size(); ++i) {
        lists[i] = state.*kGameTypes[i].excludes;
    }
    return lists;
}

TEST(Startup, EndsInOneOfFourWays) {
    using E = StartupEnding;
    const std::vector<StartupCase> cases{
        {"Missing", std::nullopt, E::SettingsMissing, After::Defaults, {}, "Rendix.ini", ""},
        {"SixthSection",
         kSound + "\r\n[Extra]\r\nA=1\r\n",
         E::SettingsNotSound,
         After::Defaults,
         {},
         "Rendix.ini",
         ""},
        {"DuplicatedHeader",
         edited(kSound, "[MapExcludes.AS]", "[MapExcludes.DM]"),
         E::SettingsNotSound,
         After::Defaults,
         {},
         "Rendix.ini",
         ""},
        {"HeaderInOtherCase",
         edited(kSound, "[Main]", "[main]"),
         E::SettingsNotSound,
         After::Defaults,
         {},
         "Rendix.ini",
         ""},
        {"BlankBeforeHeader",
         edited(kSound, "[Main]", " [Main]"),
         E::SettingsNotSound,
         After::Defaults,
         {},
         "Rendix.ini",
         ""},
        {"MissingSection",
         edited(kSound, "[MapExcludes.DOM]\r\nDOM.Ex[0]=DOM-Tutorial.unr\r\n", ""),
         E::SettingsNotSound,
         After::Defaults,
         {},
         "Rendix.ini",
         ""},
        {"Sound", kSound, E::Passed},
        {"SoundWithLfLines", edited(kSound, "\r\n", "\n"), E::Passed},
        {"SoundWithUtf8Bom", "\xEF\xBB\xBF" + kSound, E::Passed},
        {"SoundStoredInLowerCase",
         kSound,
         E::Passed,
         After::Unchanged,
         {"UnrealTournament.ini"},
         "rendix.ini"},
        {"GameFileInLowerCase",
         kSound,
         E::GameDirectoryInvalid,
         After::Unchanged,
         {"unrealtournament.ini"}},
        {"GameFileInBothCases",
         kSound,
         E::Passed,
         After::Unchanged,
         {"unrealtournament.ini", "UnrealTournament.ini"}},
        {"NoGameDirectory",
         edited(kSound, "%UT%", ""),
         E::GameDirectoryInvalid,
         After::Unchanged,
         {},
         "Rendix.ini",
         ""},
        {"MissingAndUnwritable",
         std::nullopt,
         E::SettingsMissing,
         After::Missing,
         {},
         "Rendix.ini",
         "",
         true},
        {"NotSoundAndUnwritable",
         edited(kSound, "[Main]", "[main]"),
         E::SettingsNotSound,
         After::Unchanged,
         {},
         "Rendix.ini",
         "",
         true},
    };
    for (const StartupCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        platform::TestSeam seam;
        seam.setProgramDirectory(dir.file("program"));
        makeFolder(dir.file("program"));
        const QByteArray game = dir.file("Games/ut-goty");
        makeFolder(game + "/System");
        for (const QByteArray& name : c.gameFiles) {
            writeBytes(game + "/System/" + name, "[Engine.Engine]\r\n");
        }
        QByteArray before;
        if (c.settings) {
            before = QByteArray(*c.settings).replace("%UT%", game);
            writeBytes(dir.file("program/") + c.storedName, before);
        }
        if (c.failWrites) {
            seam.failAll(platform::Operation::Write);
        }
        MessageBoxScript boxes;
        WindowCoordinator coordinator(dir.file("program"));
        coordinator.showMainWindow();

        const QByteArray utDir = QByteArray(c.utDir).replace("%UT%", game);
        const QByteArray path = dir.file("program/") + c.storedName;
        EXPECT_EQ(coordinator.state().settingsPath, path);
        EXPECT_EQ(coordinator.state().UTDir, utDir);
        const QByteArray expectedFile = c.file == After::Defaults  ? defaultSettingsContent()
                                        : c.file == After::Missing ? QByteArray()
                                                                   : before;
        EXPECT_EQ(readBytes(path), expectedFile);
        // Never a second spelling of the file, nor a temporary file left behind.
        EXPECT_EQ(folderNames(dir.file("program")), c.file == After::Missing
                                                        ? std::vector<QByteArray>{}
                                                        : std::vector<QByteArray>{c.storedName});
        const bool loaded = c.ending == E::Passed || c.ending == E::GameDirectoryInvalid;
        EXPECT_EQ(listsOf(coordinator.state()), loaded ? kSoundLists : kDefaultLists);

        std::vector<Message> expectedBoxes;
        if (c.ending == E::SettingsNotSound) {
            expectedBoxes.push_back(
                {QStringLiteral("Rendix.ini is corrupt.  All settings will be lost."),
                 QStringLiteral("Creating new Rendix.ini")});
        }
        if (c.failWrites) {
            expectedBoxes.push_back(writeFailedMessage(path));
        }
        if (c.ending == E::GameDirectoryInvalid) {
            expectedBoxes.push_back(
                {QStringLiteral("Unreal Tournament is not in the specified location!"),
                 QStringLiteral("Invalid path")});
        }
        EXPECT_EQ(boxes.shown(), expectedBoxes);

        // Only the main window, or only the options dialog; the main window that gave way to
        // a missing file is gone.
        const bool passed = c.ending == E::Passed;
        ASSERT_EQ(coordinator.mainWindow() != nullptr, c.ending != E::SettingsMissing);
        if (coordinator.mainWindow()) {
            EXPECT_EQ(coordinator.mainWindow()->isVisible(), passed);
            EXPECT_EQ(coordinator.mainWindow()->windowTitle(),
                      passed ? QStringLiteral("Rendix - ") + QFile::decodeName(game).toUpper()
                             : QStringLiteral("Rendix"));
        }
        ASSERT_EQ(coordinator.options() != nullptr, !passed);
        if (coordinator.options()) {
            EXPECT_TRUE(coordinator.options()->isVisible());
            EXPECT_EQ(
                coordinator.options()->findChild<QLineEdit*>(QStringLiteral("txtUTPath"))->text(),
                utDir.isEmpty() ? frmOptions::defaultPath() : QFile::decodeName(utDir));
        }
    }
}

}  // namespace
}  // namespace rendix::testing
