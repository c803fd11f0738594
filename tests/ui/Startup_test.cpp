#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// startup.txt: "case <name> <settings file in data/ or -> <stored as> <game files> [flags]"
// and what the start showed and held. Game files lie in System unless named with their
// folder, each changed an hour after the one before. A flag "<x>" plays <x>-steps.txt on
// where there is one ("options" in the options dialog); "unwritable" fails every write,
// "write-fails" the first replacement of a file, "read-only" the program folder's;
// "one-found" and "two-found" put installs where launchers put them.
TEST(Startup, EndsInOneOfFourWaysAndTheOptionsDialogTakesOver) {
    QByteArray transcript;
    for (const QByteArray& line : RENDIX_DATA("startup.txt").split('\n')) {
        const QByteArrayList c = line.split(' ');
        if (c.size() < 5 || c[0] != "case") {
            continue;
        }
        Shell shell;
        const QByteArray game = shell.temp.file("Games/ut-goty");
        QDateTime changed(QDate(2024, 12, 4), QTime(10, 0));
        for (const QByteArray& name : c[4].split(',')) {
            shell.makeGame("Games/ut-goty", name);
            setChanged(pathIn(game, (name.contains('/') ? "" : "System/") + name), changed);
            changed = changed.addSecs(3600);
        }
        shell.makeGame("good");
        shell.makeGame("home/ut");
        shell.makeGame("lower", "unrealtournament.ini");
        const QByteArray before = c[2] == "-" ? "" : RENDIX_DATA(c[2]).replace("%UT%", game);
        if (!before.isEmpty()) {
            writeBytes(shell.program() + "/" + c[3], before);
        }
        // Installs where a launcher put them: the patch 469 installer, a LinuxGSM server.
        if (c.contains("one-found") || c.contains("two-found")) {
            shell.makeGame("home/.local/share/OldUnreal/UnrealTournament",
                           "System64/UnrealTournament.ini");
        }
        if (c.contains("two-found")) {
            shell.makeGame("home/serverfiles", "System64/ut99server.ini");
            writeBytes(shell.temp.file("home/ut99server"), "#!/bin/bash\n");
        }
        if (c.contains("read-only")) {
            shell.seam.setProgramDirectory(shell.temp.file("no/such/program"));
        }
        if (c.contains("unwritable")) {
            shell.seam.failAll(platform::Operation::Write);
        }
        if (c.contains("write-fails")) {
            shell.seam.failNth(platform::Operation::Rename, 1);
        }
        QByteArray steps;
        for (const QByteArray& flag : c.mid(5)) {
            steps = QFile::exists(QStringLiteral(RENDIX_TEST_DATA "/") + QLatin1String(flag) +
                                  QStringLiteral("-steps.txt"))
                        ? flag + "-steps.txt"
                        : steps;
        }
        shell.seen["settings file"] = Shell::shownBytes(before);
        shell.start();
        transcript += line + "\n" +
                      (steps.isEmpty() ? "start\n" + shell.tell() : shell.play(steps.constData())) +
                      "\n";
        EXPECT_FALSE(exists(shell.temp.file("no"))) << c[1].constData();
    }
    EXPECT_EQ(transcript.toStdString(), RENDIX_DATA("startup.txt").toStdString());
}

}  // namespace
}  // namespace rendix::testing
