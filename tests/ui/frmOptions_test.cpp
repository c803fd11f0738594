#include <QLineEdit>
#include <QPushButton>

#include "ui/ShellFixture.h"
#include "ui/frmBrowse.h"
#include "ui/frmOptions.h"

namespace rendix::testing {
namespace {

// The dialog stores only a game directory, exactly as typed, in the settings file that the
// start-up chose, and then shows the main window. options.txt tells the steps of
// options-steps.txt for each case, from the start-up on.
TEST(frmOptions, StoresOnlyAGameDirectoryAndShowsTheMainWindow) {
    const struct {
        const char* name;
        const char* stored;  // the settings file the start-up finds, holding "/old/ut"
        bool programReadOnly = false, failWrites = false;
    } cases[] = {
        {"AfterAMissingFile", nullptr},
        {"StoredDirectoryInvalid", "Rendix.ini"},
        {"WrittenToTheFileInItsOwnCase", "rendix.ini"},
        {"InThePerUserFolder", nullptr, true},
        {"WriteFails", "Rendix.ini", false, true},
    };
    QByteArray transcript;
    for (const auto& c : cases) {
        Shell shell;
        shell.makeGame("good");
        shell.makeGame("lower", "unrealtournament.ini");
        if (c.programReadOnly) {
            shell.seam.setProgramDirectory(shell.temp.file("no/such/program"));
        }
        if (c.stored) {
            writeBytes(shell.program() + "/" + c.stored, Shell::settingsWith("/old/ut"));
        }
        shell.start();
        if (c.failWrites) {
            shell.seam.failAll(platform::Operation::Write);
        }
        transcript += QByteArray(c.name) + "\n" + shell.play("options-steps.txt") + "\n";
        EXPECT_FALSE(exists(shell.temp.file("no"))) << c.name;
    }
    EXPECT_EQ(transcript.toStdString(), RENDIX_DATA("options.txt").toStdString());
}

TEST(frmBrowse, HandsBackTheFolderItHasOpen) {
    Shell shell;
    shell.start();
    const QString game = QFile::decodeName(shell.makeGame("Games/ut"));
    child<QPushButton>(shell.windows->options(), "cmdBrowse")->click();
    frmBrowse* picker = shell.windows->picker();
    ASSERT_TRUE(picker && picker->isVisible());
    // Opening a folder by double-click; the path has no trailing separator.
    picker->setCurrentPath(game + QStringLiteral("/"));
    EXPECT_EQ(picker->currentPath(), game);
    auto* list = child<QListWidget>(picker, "Dir1");
    const auto system = list->findItems(QStringLiteral("System"), Qt::MatchEndsWith);
    ASSERT_EQ(system.size(), 1);
    Q_EMIT list->itemDoubleClicked(system.front());
    // The options dialog closed meanwhile: the picker's OK brings it back with the folder.
    shell.windows->options()->close();
    flushDeletes();
    child<QPushButton>(picker, "cmdOK")->click();
    flushDeletes();
    EXPECT_EQ(shell.windows->picker(), nullptr);
    ASSERT_TRUE(shell.windows->options() && shell.windows->options()->isVisible());
    EXPECT_EQ(child<QLineEdit>(shell.windows->options(), "txtUTPath")->text(),
              game + QStringLiteral("/System"));
}

}  // namespace
}  // namespace rendix::testing
