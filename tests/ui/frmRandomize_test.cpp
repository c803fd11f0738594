#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// editor.txt: the exclusion editor driven from the main window, which hides while the
// editor is open and comes back as it was however the editor closes; only Apply stores.
TEST(frmRandomize, MovesAppliesAndGivesBackTheMainWindow) {
    Shell shell;
    const QByteArray game = shell.makeGame("ut");
    for (const char* map : {"DM-Tutorial.unr", "DM-A.unr", "DM-B.unr", "DM-C.unr"}) {
        writeBytes(game + "/Maps/" + map, {});
    }
    shell.start(game);
    EXPECT_EQ(shell.play("editor.txt").toStdString(), RENDIX_DATA("editor.txt").toStdString());
}

}  // namespace
}  // namespace rendix::testing
