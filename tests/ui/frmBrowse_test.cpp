#include <QLineEdit>
#include <QPushButton>

#include "ui/ShellFixture.h"
#include "ui/frmBrowse.h"
#include "ui/frmOptions.h"

namespace rendix::testing {
namespace {

// The picker hands back the folder it has open, without a trailing separator, even to an
// options dialog that closed meanwhile.
TEST(frmBrowse, HandsBackTheFolderItHasOpen) {
    Shell shell;
    shell.start();
    const QString game = QFile::decodeName(shell.makeGame("Games/ut"));
    frmBrowse* picker = shell.windows->showPicker();
    picker->setCurrentPath(game + QStringLiteral("/"));
    EXPECT_EQ(picker->currentPath(), game);
    auto* list = picker->findChild<QListWidget*>();
    const auto system = list->findItems(QStringLiteral("System"), Qt::MatchEndsWith);
    ASSERT_EQ(system.size(), 1);
    Q_EMIT list->itemDoubleClicked(system.front());
    shell.windows->options()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    picker->findChild<QPushButton*>()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(shell.windows->picker(), nullptr);
    ASSERT_TRUE(shell.windows->options() && shell.windows->options()->isVisible());
    EXPECT_EQ(shell.windows->options()->findChild<QLineEdit*>()->text(),
              game + QStringLiteral("/System"));
}

}  // namespace
}  // namespace rendix::testing
