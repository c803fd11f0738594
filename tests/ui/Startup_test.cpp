#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// startup.txt: "case <name> <settings file in data/ or -> <stored as> <game files> [flags]"
// and what the start showed and held. "options" plays options-steps.txt on in the options
// dialog; "unwritable" fails every write, "read-only" the program folder's.
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
