#include <QAction>
#include <QPushButton>

#include "ui/ShellFixture.h"
#include "ui/frmAbout.h"

namespace rendix::testing {
namespace {

TEST(frmMain, HelpOpensThePageBesideTheProgramEvenWhenMissing) {
    Shell shell;
    shell.start(shell.makeGame("ut"));
    child<QAction>(shell.windows->mainWindow(), "mnuHelpHelp")->trigger();
    EXPECT_EQ(shell.seam.openedDocuments(),
              std::vector<QByteArray>{shell.program() + "/Rendix.htm"});
    EXPECT_TRUE(shell.script.shown().empty());
}

// The About box has no owner: it stays when the main window goes.
TEST(frmMain, ExitLeavesTheAboutBoxOpen) {
    Shell shell;
    shell.start(shell.makeGame("ut"));
    child<QAction>(shell.windows->mainWindow(), "mnuHelpAbout")->trigger();
    QPointer<frmAbout> about = shell.windows->about();
    ASSERT_TRUE(about && about->isVisible());
    child<QAction>(shell.windows->mainWindow(), "mnuFileExit")->trigger();
    flushDeletes();
    EXPECT_EQ(shell.windows->mainWindow(), nullptr);
    ASSERT_TRUE(about && about->isVisible());
    // Without a system information program in the registry, the box says so.
    child<QPushButton>(about, "cmdSysInfo")->click();
    const Message unavailable{QStringLiteral("System Information Is Unavailable At This Time"),
                              QStringLiteral("Rendix")};
    EXPECT_EQ(shell.script.shown(), std::vector<Message>{unavailable});
}

}  // namespace
}  // namespace rendix::testing
