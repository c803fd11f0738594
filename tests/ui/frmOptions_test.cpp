#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include "ui/ShellFixture.h"
#include "ui/frmBrowse.h"

namespace rendix::testing {
namespace {

// The dialog stores only a game directory, exactly as typed, in the settings file that the
// start-up chose, and then shows the main window: options.txt tells each case.
TEST(frmOptions, StoresOnlyAGameDirectoryAndShowsTheMainWindow) {
    const struct {
        const char* name;
        const char* stored;  // the settings file the start-up finds, holding "/old/ut"
        const char* typed;   // "%GOOD%" and "%LOWER%" stand for game directories
        bool programReadOnly = false, failWrite = false;
    } cases[] = {
        {"AfterAMissingFile", nullptr, "%GOOD%/"},
        {"Accepted", "Rendix.ini", "%GOOD%"},
        {"WrittenToTheFileInItsOwnCase", "rendix.ini", "%GOOD%"},
        {"InThePerUserFolder", nullptr, "%GOOD%", true},
        {"GameFileInLowerCase", "Rendix.ini", "%LOWER%"},
        {"NoSuchFolder", "Rendix.ini", "/no/such/folder"},
        {"WriteFails", "Rendix.ini", "%GOOD%", false, true},
    };
    QString reports;
    for (const auto& c : cases) {
        Shell shell;
        const QByteArray typed =
            QByteArray(c.typed)
                .replace("%GOOD%", shell.makeGame("good"))
                .replace("%LOWER%", shell.makeGame("lower", "unrealtournament.ini"));
        if (c.programReadOnly) {
            shell.seam.setProgramDirectory(shell.temp.file("no/such/program"));
        }
        const QByteArray before = Shell::settingsWith(c.stored ? "/old/ut" : "");
        if (c.stored) {
            writeBytes(shell.program() + "/" + c.stored, before);
        }
        shell.start();
        if (c.failWrite) {
            shell.seam.failAll(platform::Operation::Write);
        }
        frmOptions* options = shell.windows->options();
        child<QLineEdit>(options, "txtUTPath")->setText(QFile::decodeName(typed));
        child<QPushButton>(options, "cmdOK")->click();
        flushDeletes();
        shell.seam.resetCounts();
        EXPECT_FALSE(exists(shell.temp.file("no"))) << c.name;
        reports += QLatin1String(c.name) + QLatin1Char('\n') + shell.report(before);
    }
    EXPECT_EQ(reports.toStdString(), RENDIX_DATA("options.txt").toStdString());
}

TEST(frmBrowse, HandsBackTheFolderItHasOpen) {
    Shell shell;
    shell.start();
    const QString game = QFile::decodeName(shell.makeGame("Games/ut"));
    child<QPushButton>(shell.windows->options(), "cmdBrowse")->click();
    frmBrowse* picker = shell.windows->picker();
    ASSERT_TRUE(picker && picker->isVisible());
    auto* drives = child<QComboBox>(picker, "Drive1");
    drives->setCurrentIndex(-1);
    drives->setCurrentIndex(0);
    EXPECT_EQ(picker->currentPath(), QStringLiteral("/"));
    // Opening a folder by double-click; the path has no trailing separator.
    picker->setCurrentPath(game + QStringLiteral("/"));
    EXPECT_EQ(picker->currentPath(), game);
    auto* list = child<QListWidget>(picker, "Dir1");
    const auto system = list->findItems(QStringLiteral("System"), Qt::MatchEndsWith);
    ASSERT_EQ(system.size(), 1);
    Q_EMIT list->itemDoubleClicked(system.front());
    EXPECT_EQ(picker->currentPath(), game + QStringLiteral("/System"));
    // The options dialog closed meanwhile: the picker's OK brings it back.
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
