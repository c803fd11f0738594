#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// Each start as startup.txt tells it (the settings file only where it changed): a file that
// is missing or not of the five-section shape gives way to the defaults and the options
// dialog; a sound one is loaded, and its game directory passes the test (main window) or
// fails it (options dialog). Where the dialog shows, options-steps.txt plays in it: it
// stores only a game directory, exactly as typed, in the settings file the start-up chose.
TEST(Startup, EndsInOneOfFourWaysAndTheOptionsDialogTakesOver) {
    const QByteArray ut = "UnrealTournament.ini", lower = "unrealtournament.ini";
    const struct {
        const char* name;
        const char* file;      // in data/, "%UT%" standing for the game directory; null: none
        bool options = false;  // whether options-steps.txt plays
        const char* stored = "Rendix.ini";
        std::vector<QByteArray> gameFiles = {"UnrealTournament.ini"};
        bool failWrites = false, programReadOnly = false;
    } cases[] = {
        {"Missing", nullptr, true},
        {"SixthSection", "sixth-section.ini"},
        {"DuplicatedHeader", "duplicated-header.ini"},
        {"HeaderInOtherCase", "lower-main.ini"},
        {"BlankBeforeHeader", "blank-before-main.ini"},
        {"MissingSection", "missing-section.ini"},
        {"Sound", "sound.ini"},
        {"SoundWithLfLines", "sound-lf.ini"},
        {"SoundWithUtf8Bom", "sound-bom.ini"},
        {"SoundStoredInLowerCase", "sound.ini", false, "rendix.ini"},
        {"GameFileInLowerCase", "sound.ini", false, "Rendix.ini", {lower}},
        {"GameFileInBothCases", "sound.ini", false, "Rendix.ini", {lower, ut}},
        {"NoGameDirectory", "no-utdir.ini", true},
        {"NoGameDirectoryStoredInLowerCase", "no-utdir.ini", true, "rendix.ini"},
        {"MissingAndUnwritable", nullptr, false, "Rendix.ini", {ut}, true},
        {"NotSoundAndUnwritable", "lower-main.ini", false, "Rendix.ini", {ut}, true},
        {"NoGameDirectoryAndUnwritable", "no-utdir.ini", true, "Rendix.ini", {ut}, true},
        {"ProgramFolderReadOnly", nullptr, true, "Rendix.ini", {ut}, false, true},
    };
    QByteArray transcript;
    for (const auto& c : cases) {
        Shell shell;
        const QByteArray game = shell.temp.file("Games/ut-goty");
        makeFolder(game + "/System");
        for (const QByteArray& name : c.gameFiles) {
            writeBytes(game + "/System/" + name, "[Engine.Engine]\r\n");
        }
        shell.makeGame("good");
        shell.makeGame("lower", lower);
        const QByteArray before = c.file ? RENDIX_DATA(c.file).replace("%UT%", game) : "";
        if (c.file) {
            writeBytes(shell.program() + "/" + c.stored, before);
        }
        if (c.programReadOnly) {
            shell.seam.setProgramDirectory(shell.temp.file("no/such/program"));
        }
        if (c.failWrites) {
            shell.seam.failAll(platform::Operation::Write);
        }
        shell.seen["settings file"] = Shell::shownBytes(before);
        shell.start();
        transcript += c.name + QByteArray("\n") +
                      (c.options ? shell.play("options-steps.txt") : "start\n" + shell.tell()) +
                      "\n";
        EXPECT_FALSE(exists(shell.temp.file("no"))) << c.name;
    }
    EXPECT_EQ(transcript.toStdString(), RENDIX_DATA("startup.txt").toStdString());
}

}  // namespace
}  // namespace rendix::testing
