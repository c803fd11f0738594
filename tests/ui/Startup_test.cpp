#include <QDateTime>

#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// startup.txt: "case <name> <settings file in data/ or -> <stored as> <game files> [flags]"
// and what the start showed and held. Game files lie in System unless named with their
// folder, each changed an hour after the one before. A flag "<x>" plays <x>-steps.txt on
// where there is one ("options" in the options dialog); "unwritable" fails every write,
// "write-fails" the first replacement of a file, "read-only" the program folder's;
// "one-found" and "two-found" put installs where launchers put them. Plays the cases that
// `wanted` takes: what each shows must be what the file says after its "case" line.
void playCases(const std::function<bool(const QByteArrayList&)>& wanted) {
    const QByteArray all = RENDIX_DATA("startup.txt");
    QByteArray transcript;
    QByteArray expected;
    for (qsizetype at = all.indexOf("case "); at >= 0;) {
        const qsizetype next = all.indexOf("\ncase ", at);
        const QByteArray block = all.mid(at, next < 0 ? -1 : next + 1 - at);
        at = next < 0 ? -1 : next + 1;
        const QByteArray line = block.left(block.indexOf('\n'));
        const QByteArrayList c = line.split(' ');
        if (c.size() < 5 || !wanted(c)) {
            continue;
        }
        expected += block;
        Shell shell;
        const QByteArray game = shell.temp.file("Games/ut-goty");
        QDateTime changed(QDate(2024, 12, 4), QTime(10, 0));
        for (const QByteArray& name : c[4].split(',')) {
            shell.makeGame("Games/ut-goty", name);
            setModified(pathIn(game, (name.contains('/') ? "" : "System/") + name),
                        changed.toSecsSinceEpoch());
            changed = changed.addSecs(3600);
        }
        shell.makeGame("good");
        shell.makeGame("home/ut");
        shell.makeGame("lower", "unrealtournament.ini");
        const QByteArray before = c[2] == "-" ? "" : RENDIX_DATA(c[2]).replace("%UT%", game);
        if (!before.isEmpty()) {
            writeBytes(pathIn(shell.program(), c[3]), before);
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
        shell.seen["settings file"] = Shell::shownBytes(shell.masked(before));
        shell.start();
        transcript += line + "\n" +
                      (steps.isEmpty() ? "start\n" + shell.tell() : shell.play(steps.constData())) +
                      "\n";
        EXPECT_FALSE(exists(shell.temp.file("no"))) << c[1].constData();
    }
    EXPECT_EQ(transcript.toStdString(), expected.toStdString());
}

bool launchersPutTheGame(const QByteArrayList& c) {
    return c.contains("one-found") || c.contains("two-found");
}

TEST(Startup, EndsInOneOfFourWaysAndTheOptionsDialogTakesOver) {
    playCases([](const QByteArrayList& c) {
        return !launchersPutTheGame(c) && c[1] != "GameFileInBothCases";
    });
}

// The game's file in both letter cases: only the exact name counts.
TEST(Startup, TakesTheGameFileSpeltExactly) {
    if (const char* why = posixNamesUnavailable()) {
        GTEST_SKIP() << why;
    }
    playCases([](const QByteArrayList& c) { return c[1] == "GameFileInBothCases"; });
}

// Installs that the patch 469 installer and LinuxGSM put where Linux keeps them.
TEST(Startup, TheOptionsDialogOffersTheInstallsLaunchersPutThere) {
    if (const char* why = linuxLauncherPlacesUnavailable()) {
        GTEST_SKIP() << why;
    }
    playCases(launchersPutTheGame);
}

}  // namespace
}  // namespace rendix::testing
