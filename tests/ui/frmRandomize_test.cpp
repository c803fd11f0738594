#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "ui/ShellFixture.h"
#include "ui/frmMain.h"

namespace rendix::testing {
namespace {

// The program with DM maps A, B, C and the tutorial, the exclusion editor opened from the
// main window.
struct EditorTest : ::testing::Test, Shell {
    EditorTest() {
        for (const char* map : {"DM-Tutorial.unr", "DM-A.unr", "DM-B.unr", "DM-C.unr"}) {
            writeBytes(game + "/Maps/" + map, {});
        }
        start(game);
        main = windows->mainWindow();
    }
    void open() {
        child<QPushButton>(main, "cmdDMExcl")->click();
        editor = topLevel("frmRandomize");
        ASSERT_TRUE(editor);
    }
    QListWidget* list(const char* name) { return child<QListWidget>(editor, name); }
    // The lines of a list joined by ",", a selected one marked "*".
    QString lines(const char* name) {
        QStringList out;
        for (int i = 0; i < list(name)->count(); ++i) {
            const QListWidgetItem* item = list(name)->item(i);
            out << (item->isSelected() ? QStringLiteral("*") : QString()) + item->text();
        }
        return out.join(QLatin1Char(','));
    }
    void click(const char* button) { child<QPushButton>(editor, button)->click(); }
    void pick(const char* name, int row) {
        list(name)->clearSelection();
        list(name)->item(row)->setSelected(true);
    }
    void doubleClick(const char* name, int row) {
        const QPoint at = list(name)->visualItemRect(list(name)->item(row)).center();
        QTest::mouseClick(list(name)->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list(name)->viewport(), Qt::LeftButton, {}, at);
    }
    bool editorGone() {
        flushDeletes();
        return editor.isNull();
    }

    const QByteArray game = makeGame("ut");
    QPointer<frmMain> main;
    QPointer<QWidget> editor;
};

TEST_F(EditorTest, MovesAppliesAndComesBackToTheMainWindow) {
    child<QCheckBox>(main, "chkDOM")->setChecked(false);
    open();
    EXPECT_FALSE(main->isVisible());
    pick("lstSelected", 0);
    click("cmdExcl");
    EXPECT_EQ(lines("lstSelected"), QStringLiteral("*DM-B.unr,DM-C.unr"));
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("DM-A.unr,DM-Tutorial.unr"));
    EXPECT_EQ(child<QLabel>(editor, "lblSelect")->text(), QStringLiteral("2 map(s) selected"));
    EXPECT_EQ(child<QLabel>(editor, "lblExclude")->text(), QStringLiteral("2 map(s) excluded"));
    click("cmdExclAll");
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("DM-A.unr,DM-B.unr,DM-C.unr,DM-Tutorial.unr"));
    click("cmdSelectAll");  // the tutorial map stays, silently
    EXPECT_EQ(lines("lstSelected"), QStringLiteral("DM-A.unr,DM-B.unr,DM-C.unr"));
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("*DM-Tutorial.unr"));
    doubleClick("lstSelected", 2);
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("DM-C.unr,*DM-Tutorial.unr"));
    doubleClick("lstExcluded", 1);
    const Message tutorial{
        QStringLiteral("UnrealTournament will not accept a tutorial map in the map list."),
        QStringLiteral("Invalid Selection")};
    EXPECT_EQ(script.shown(), std::vector<Message>{tutorial});
    pick("lstExcluded", 0);
    click("cmdSelect");
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("*DM-Tutorial.unr"));
    doubleClick("lstSelected", 0);
    EXPECT_TRUE(child(editor, "cmdApply")->isEnabled());
    click("cmdApply");
    EXPECT_FALSE(child(editor, "cmdApply")->isEnabled());
    EXPECT_EQ(script.busyChanges(), (std::vector<bool>{true, false}));
    EXPECT_EQ(windows->state().DMExcludes, (ExclusionList{"DM-A.unr", "DM-Tutorial.unr"}));
    const QByteArray applied = RENDIX_DATA("editor-applied.ini").replace("%UT%", game);
    EXPECT_EQ(readBytes(program() + "/Rendix.ini").toStdString(), applied.toStdString());

    // However it closes, the editor shows the main window with its boxes as they were, and
    // only Apply stores anything.
    for (const char* closer : {"cmdOK", "cmdCancel", "close box"}) {
        SCOPED_TRACE(closer);
        if (!editor) {
            open();
            click("cmdExclAll");
        }
        EXPECT_FALSE(main->isVisible());
        if (auto* button = editor->findChild<QPushButton*>(QLatin1String(closer))) {
            button->click();
        } else {
            editor->close();
        }
        EXPECT_TRUE(editorGone());
        EXPECT_TRUE(main->isVisible());
        EXPECT_EQ(main->tickedGameTypes(), (std::array<bool, 4>{true, true, false, true}));
        EXPECT_EQ(windows->state().DMExcludes, (ExclusionList{"DM-A.unr", "DM-Tutorial.unr"}));
        EXPECT_EQ(readBytes(program() + "/Rendix.ini").toStdString(), applied.toStdString());
    }
}

}  // namespace
}  // namespace rendix::testing
