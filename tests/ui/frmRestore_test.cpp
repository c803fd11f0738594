#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/ShellFixture.h"
#include "ui/frmMain.h"

namespace rendix::testing {
namespace {

// File > Restore Backup... lists the backups newest first, shows how the selected one
// differs, asks before it restores (No changes nothing), backs up the current file and says
// so in the main window's status line.
TEST(frmRestore, ShowsTheDifferenceAndRestoresOnlyWhenConfirmed) {
    Shell shell;
    const QByteArray game = shell.makeGame("ut");
    const QByteArray config = pathIn(game, "System/UnrealTournament.ini");
    const QByteArray older = pathIn(game, "System/Rendix_UnrealTournament1111.ini");
    const QByteArray newer = pathIn(game, "System/Rendix_UnrealTournament1212.ini");
    writeBytes(older, "[Engine.Engine]\r\nOld=1\r\n");
    writeBytes(newer, "[Engine.Engine]\r\n");
    shell.seam.setLocalTime({2026, 12, 24, 10, 11, 12});
    shell.start(game);
    shell.windows->mainWindow()->findChild<QAction*>(QStringLiteral("mnuFileRestore"))->trigger();
    QWidget* window = topLevel(QStringLiteral("frmRestore"));
    ASSERT_TRUE(window);
    auto* list = window->findChild<QTreeWidget*>(QStringLiteral("lstBackups"));
    auto* diff = window->findChild<QPlainTextEdit*>(QStringLiteral("txtDiff"));
    auto* restore = window->findChild<QPushButton*>(QStringLiteral("cmdRestore"));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("Rendix_UnrealTournament1212.ini"));
    EXPECT_EQ(diff->toPlainText(), QStringLiteral("The backup holds the same bytes as the file."));

    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_EQ(diff->toPlainText(),
              QStringLiteral("--- %1\n+++ %2\n@@ -1 +1,2 @@\n [Engine.Engine]\n"
                             "+Old=1\n")
                  .arg(QFile::decodeName(config), QFile::decodeName(older)));
    shell.script.answers = {MessageAnswer::No};
    restore->click();
    EXPECT_EQ(readBytes(config), "[Engine.Engine]\r\n");
    EXPECT_EQ(shell.script.shown.back().title, QStringLiteral("Restore backup"));
    EXPECT_EQ(shell.script.shown.back().defaultButton, MessageAnswer::No);

    list->setCurrentItem(list->topLevelItem(1));
    shell.script.answers = {MessageAnswer::Yes};
    restore->click();
    EXPECT_EQ(readBytes(config), "[Engine.Engine]\r\nOld=1\r\n");
    EXPECT_EQ(readBytes(pathIn(game, "System/Rendix_UnrealTournament1224101112.ini")),
              "[Engine.Engine]\r\n");
    EXPECT_EQ(shell.windows->mainWindow()->findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
              QStringLiteral("Restored Rendix_UnrealTournament1111.ini."));
    EXPECT_EQ(list->topLevelItemCount(), 3);
}

}  // namespace
}  // namespace rendix::testing
