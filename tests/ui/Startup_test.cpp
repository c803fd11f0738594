#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// Each start as startup.txt tells it (the settings file only where it changed): a file that is
// missing or not of the five-section shape gives way to the defaults and the options dialog; a
// sound one is loaded, and its game directory passes the test (main window) or fails it (options).
TEST(Startup, EndsInOneOfFourWays) {
    const QByteArray ut = "UnrealTournament.ini", lower = "unrealtournament.ini";
    const struct {
        const char* name;
        const char* file;  // in data/, "%UT%" standing for the game directory; null: none
        const char* stored = "Rendix.ini";
        std::vector<QByteArray> gameFiles = {"UnrealTournament.ini"};
        bool failWrites = false;
    } cases[] = {
        {"Missing", nullptr},
        {"SixthSection", "sixth-section.ini"},
        {"DuplicatedHeader", "duplicated-header.ini"},
        {"HeaderInOtherCase", "lower-main.ini"},
        {"BlankBeforeHeader", "blank-before-main.ini"},
        {"MissingSection", "missing-section.ini"},
        {"Sound", "sound.ini"},
        {"SoundWithLfLines", "sound-lf.ini"},
        {"SoundWithUtf8Bom", "sound-bom.ini"},
        {"SoundStoredInLowerCase", "sound.ini", "rendix.ini"},
        {"GameFileInLowerCase", "sound.ini", "Rendix.ini", {lower}},
        {"GameFileInBothCases", "sound.ini", "Rendix.ini", {lower, ut}},
        {"NoGameDirectory", "no-utdir.ini"},
        {"MissingAndUnwritable", nullptr, "Rendix.ini", {ut}, true},
        {"NotSoundAndUnwritable", "lower-main.ini", "Rendix.ini", {ut}, true},
    };
    QByteArray reports;
    for (const auto& c : cases) {
        Shell shell;
        const QByteArray game = shell.temp.file("Games/ut-goty");
        makeFolder(game + "/System");
        for (const QByteArray& name : c.gameFiles) {
            writeBytes(game + "/System/" + name, "[Engine.Engine]\r\n");
        }
        const QByteArray before = c.file ? RENDIX_DATA(c.file).replace("%UT%", game) : "";
        if (c.file) {
            writeBytes(shell.program() + "/" + c.stored, before);
        }
        if (c.failWrites) {
            shell.seam.failAll(platform::Operation::Write);
        }
        shell.seen["settings file"] = Shell::shownBytes(before);
        shell.start();
        reports += QByteArray(c.name) + "\n" + shell.tell() + "\n";
    }
    EXPECT_EQ(reports.toStdString(), RENDIX_DATA("startup.txt").toStdString());
}

}  // namespace
}  // namespace rendix::testing
