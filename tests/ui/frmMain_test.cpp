#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// Plays a session from the main window, with what every step showed.
void playSession(const char* session) {
    Shell shell;
    const QByteArray game = shell.makeGame("ut");
    for (const char* map : {"DM-Tutorial.unr", "DM-A.unr", "DM-B.unr", "DM-\xE9.unr"}) {
        writeBytes(pathIn(game, "Maps/" + QByteArray(map)), {});
    }
    writeBytes(shell.temp.file("ut64/System64/UnrealTournament.ini"), "[Engine.Engine]\r\n");
    shell.start(game);
    EXPECT_EQ(shell.play(session).toStdString(), RENDIX_DATA(session).toStdString());
}

// main.txt: the main window's keys, its menus and the About box.
TEST(frmMain, PlaysTheSessionOfTheMainWindow) {
    playSession("main.txt");
}

// editor.txt: the exclusion editor, during which the main window hides, and which gives it
// back as it was however it closes, only Apply storing anything; a map name that is not UTF-8
// is stored back byte for byte.
TEST(frmMain, PlaysTheSessionOfTheEditor) {
    if (const char* why = posixNamesUnavailable()) {
        GTEST_SKIP() << why;
    }
    playSession("editor.txt");
}

}  // namespace
}  // namespace rendix::testing
