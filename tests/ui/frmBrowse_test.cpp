#include <QLineEdit>
#include <QPushButton>

#include "ui/ShellFixture.h"
#include "ui/frmBrowse.h"
#include "ui/frmOptions.h"

namespace rendix::testing {
namespace {

// The picker lists hidden folders and folders whose names are not UTF-8, and hands back
// the folder it has open, without a trailing separator and byte for byte, even to an
// options dialog that closed meanwhile; that dialog stores those bytes.
TEST(frmBrowse, HandsBackTheFolderItHasOpen) {
    Shell shell;
    shell.start();
    const QByteArray games = shell.temp.file("Games");
    // A name that is not UTF-8 where names are bytes; a name in UTF-8 where they are not.
    const bool byteNames = posixNamesUnavailable() == nullptr;
    const QByteArray game = shell.makeGame(byteNames ? "Games/caf\xE9" : "Games/caf\xC3\xA9");
    makeFolder(pathIn(games, ".utpg"));
    frmBrowse* picker = shell.windows->showPicker();
    picker->setCurrentPath(pathIn(games, ""));
    EXPECT_EQ(picker->currentPath(), games);
    auto* list = picker->findChild<QListWidget*>();
    QStringList shown;
    for (int row = list->count() - 2; row < list->count(); ++row) {
        shown << list->item(row)->text().trimmed();
    }
    EXPECT_EQ(shown,
              QStringList({QStringLiteral(".utpg"),
                           byteNames ? QStringLiteral("caf\uFFFD") : QStringLiteral("caf\u00E9")}));
    Q_EMIT list->itemDoubleClicked(list->item(list->count() - 1));
    EXPECT_EQ(picker->currentPath(), game);

    shell.windows->options()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    picker->findChild<QPushButton*>()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(shell.windows->picker(), nullptr);
    ASSERT_TRUE(shell.windows->options() && shell.windows->options()->isVisible());
    EXPECT_EQ(shell.windows->options()->findChild<QLineEdit*>()->text(), QFile::decodeName(game));
    shell.windows->options()->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    EXPECT_EQ(shell.windows->state().UTDir, game);
    EXPECT_TRUE(
        readBytes(pathIn(shell.program(), "Rendix.ini")).contains("UTDir=" + game + "\r\n"));
}

}  // namespace
}  // namespace rendix::testing
