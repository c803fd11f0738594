#include <QLineEdit>
#include <QPushButton>

#include "ui/ShellFixture.h"
#include "ui/frmBrowse.h"
#include "ui/frmOptions.h"

namespace rendix::testing {
namespace {

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
