#include "ui/ShellFixture.h"

namespace rendix::testing {
namespace {

// main.txt: the keys of the main window, its menus and the About box it opens.
TEST(frmMain, KeysMenusAndTheAboutBox) {
    Shell shell;
    shell.start(shell.makeGame("ut"));
    EXPECT_EQ(shell.play("main.txt").toStdString(), RENDIX_DATA("main.txt").toStdString());
}

}  // namespace
}  // namespace rendix::testing
