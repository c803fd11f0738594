#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// Sessions from the main window, each with what every step showed: main.txt its keys, its
// menus and the About box; editor.txt the exclusion editor, during which the main window
// hides, and which gives it back as it was however it closes, only Apply storing anything.
TEST(frmMain, PlaysTheSessionsOfTheMainWindowAndTheEditor) {
    for (const char* session : {"main.txt", "editor.txt"}) {
        Shell shell;
        const QByteArray game = shell.makeGame("ut");
        for (const char* map : {"DM-Tutorial.unr", "DM-A.unr", "DM-B.unr", "DM-\xE9.unr"}) {
            writeBytes(pathIn(game, "Maps/" + QByteArray(map)), {});
        }
        writeBytes(shell.temp.file("ut64/System64/UnrealTournament.ini"), "[Engine.Engine]\r\n");
        shell.start(game);
        EXPECT_EQ(shell.play(session).toStdString(), RENDIX_DATA(session).toStdString());
    }
}

}  // namespace
}  // namespace rendix::testing
