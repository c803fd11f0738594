#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// startup.txt holds the cases, "case <name> <settings file in data/, "%UT%" standing for the
// game directory, or -> <stored as> <game files in System, comma-separated> [flags]", each
// followed by what its start showed and held (the settings file only where it changed): a
// file that is missing or not of the five-section shape gives way to the defaults and the
// options dialog; a sound one is loaded, and its game directory passes the test (main
// window) or fails it (options dialog). With the flag "options", options-steps.txt plays
// on in the dialog; "unwritable" makes every write fail, "read-only" the program folder.
TEST(Startup, EndsInOneOfFourWaysAndTheOptionsDialogTakesOver) {
    QByteArray transcript;
    for (const QByteArray& line : RENDIX_DATA("startup.txt").split('\n')) {
        const QByteArrayList c = line.split(' ');
        if (c.size() < 5 || c[0] != "case") {
            continue;
        }
        Shell shell;
        const QByteArray game = shell.temp.file("Games/ut-goty");
        for (const QByteArray& name : c[4].split(',')) {
            shell.makeGame("Games/ut-goty", name);
        }
        shell.makeGame("good");
        shell.makeGame("lower", "unrealtournament.ini");
        const QByteArray before = c[2] == "-" ? "" : RENDIX_DATA(c[2]).replace("%UT%", game);
        if (!before.isEmpty()) {
            writeBytes(shell.program() + "/" + c[3], before);
        }
        if (c.contains("read-only")) {
            shell.seam.setProgramDirectory(shell.temp.file("no/such/program"));
        }
        if (c.contains("unwritable")) {
            shell.seam.failAll(platform::Operation::Write);
        }
        shell.seen["settings file"] = Shell::shownBytes(before);
        shell.start();
        transcript +=
            line + "\n" +
            (c.contains("options") ? shell.play("options-steps.txt") : "start\n" + shell.tell()) +
            "\n";
        EXPECT_FALSE(exists(shell.temp.file("no"))) << c[1].constData();
    }
    EXPECT_EQ(transcript.toStdString(), RENDIX_DATA("startup.txt").toStdString());
}

}  // namespace
}  // namespace rendix::testing
