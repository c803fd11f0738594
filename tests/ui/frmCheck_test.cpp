#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "maintenance/ConfigCheck.h"
#include "support/GameInstall.h"
#include "ui/ShellFixture.h"
#include "ui/frmMain.h"

namespace rendix::testing {
namespace {

// File > Check Configuration... lists the findings; each fix runs the main window's command,
// asking what it asks, and the list is checked again until nothing is left.
TEST(frmCheck, ListsFindingsCopiesThemAndFixesThemOneByOne) {
    Shell shell;
    const GameInstall game = makeGameInstall(shell.temp.file("ut"));  // two stale entries
    writeBytes(game.ini, readBytes(game.ini).replace("Maps[3]=CTF-EternalCave.unr", "Maps[3]="));
    for (int i = 0; i < 21; ++i) {
        writeBytes(game.system + "/Rendix_UnrealTournament1" + QByteArray::number(i) + ".ini", "");
    }
    shell.seam.setLocalTime({2026, 12, 24, 10, 11, 12});
    shell.seam.setRunningPrograms({});
    shell.start(game.root);
    frmMain* main = shell.windows->mainWindow();
    main->findChild<QAction*>(QStringLiteral("mnuFileCheck"))->trigger();
    QWidget* window = topLevel(QStringLiteral("frmCheck"));
    ASSERT_TRUE(window);
    auto* list = window->findChild<QTreeWidget*>(QStringLiteral("lstFindings"));
    auto* fix = window->findChild<QPushButton*>(QStringLiteral("cmdFix"));
    auto* summary = window->findChild<QLabel*>(QStringLiteral("lblSummary"));
    const auto rows = [&] {
        QStringList shown;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            shown << list->topLevelItem(row)->text(0);
        }
        return shown.join(QLatin1Char(' ')).toStdString();
    };
    const auto fixRow = [&](int row, const char* caption) {
        list->setCurrentItem(list->topLevelItem(row));
        EXPECT_EQ(fix->text().toStdString(), caption);
        fix->click();
        return main->findChild<QLabel*>(QStringLiteral("lblStatus"))->text().toStdString();
    };
    EXPECT_EQ(summary->text(), QStringLiteral("4 problems found in ") +
                                   QFile::decodeName(game.ini) +
                                   QStringLiteral(" and the folders it names:"));
    const QByteArray ini = readBytes(game.ini);
    const std::string gap = std::to_string(ini.left(ini.indexOf("Maps[3]=\r\n")).count('\n') + 1);
    EXPECT_EQ(rows(), "UnrealTournament.ini:84 UnrealTournament.ini:85 UnrealTournament.ini:" +
                          gap + " UnrealTournament.ini");
    EXPECT_FALSE(list->topLevelItem(0)->icon(0).isNull());

    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(3)->setSelected(true);
    window->findChild<QPushButton*>(QStringLiteral("cmdCopy"))->click();
    const ConfigCheck check = CheckConfiguration(Install::of(shell.windows->state()));
    ASSERT_EQ(check.findings.size(), 4u);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QFile::decodeName(findingLine(check.findings[0]) + '\n' +
                                findingLine(check.findings[3]) + '\n'));
    list->setCurrentItem(list->topLevelItem(1));
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QFile::decodeName(findingLine(check.findings[1]) + '\n'));

    shell.script.answers = {MessageAnswer::Yes};
    fixRow(3, "&Delete Backup Files");
    EXPECT_EQ(shell.script.shown.back().title, QStringLiteral("Continue?"));
    EXPECT_EQ(rows(),
              "UnrealTournament.ini:84 UnrealTournament.ini:85 UnrealTournament.ini:" + gap);
    EXPECT_EQ(fixRow(2, "&Randomize CTF Map List"), "Found 9 CTF maps... randomized list.");
    EXPECT_EQ(rows(), "UnrealTournament.ini:84 UnrealTournament.ini:85");
    EXPECT_EQ(fixRow(1, "&Add/Remove ServerPackages Entries"),
              "Removed 2 serverpackages entries... Added 3 serverpackages entries.");
    EXPECT_EQ(rows(), "");
    EXPECT_EQ(summary->text(), QStringLiteral("No problems found."));
    EXPECT_FALSE(fix->isEnabled());
    EXPECT_EQ(shell.script.shown.size(), 1u);
}

}  // namespace
}  // namespace rendix::testing
