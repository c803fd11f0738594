#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <functional>

#include "app/GameTypes.h"
#include "platform/FileSystem.h"
#include "support/TestFiles.h"
#include "ui/WindowCoordinator.h"
#include "ui/WindowMessages.h"
#include "ui/frmMain.h"
#include "ui/frmRandomize.h"

namespace rendix {
namespace {

const QByteArray kSettings =
    "[Main]\r\nUTDir=/ut\r\n\r\n[MapExcludes.DM]\r\nDM.Ex[0]=DM-Tutorial.unr\r\n\r\n"
    "[MapExcludes.CTF]\r\nCTF.Ex[0]=CTF-Tutorial.unr\r\n\r\n";

struct EditorWindowTest : ::testing::Test {
    EditorWindowTest() {
        state.UTDir = dir.file("UT");
        state.settingsPath = dir.file("Rendix.ini");
        for (const GameType& type : kGameTypes) {
            state.*type.excludes = {type.tutorialMap};
        }
        for (const char* map : {"DM-Tutorial.unr", "DM-A.unr", "DM-B.unr", "DM-C.unr"}) {
            testing::writeBytes(dir.file("UT/Maps/") + map, {});
        }
        testing::writeBytes(state.settingsPath, kSettings);
        main.show();
        open();
    }
    ~EditorWindowTest() override {
        delete editor;  // it holds on to `state`
        platform::removeMatching(dir.file("UT/Maps"), "*");
    }
    // As the main window's cmdDMExcl does.
    void open() {
        editor = new frmRandomize(state, &main);
        editor->show();
        main.hide();
    }
    template <class T = QWidget>
    T* child(const char* name) {
        return editor->findChild<T*>(QLatin1String(name));
    }
    QListWidget* list(const char* name) { return child<QListWidget>(name); }
    // The lines of a list joined by ",", a selected one marked "*".
    QString lines(const char* name) {
        QStringList out;
        for (int i = 0; i < list(name)->count(); ++i) {
            const QListWidgetItem* item = list(name)->item(i);
            out << (item->isSelected() ? QStringLiteral("*") : QString()) + item->text();
        }
        return out.join(QLatin1Char(','));
    }
    void click(const char* button) { child<QPushButton>(button)->click(); }
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
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return editor.isNull();
    }

    testing::TempDir dir;
    ModMain state;
    MessageBoxScript script;
    QWidget main;
    QPointer<frmRandomize> editor;
};

TEST_F(EditorWindowTest, ControlsStandWhereTheLayoutPutsThemInTabOrder) {
    const struct {
        const char *name, *kind, *caption;
        QRect twips;
    } rows[] = {
        {"cboGameType", "QComboBox", "DeathMatch/Team DeathMatch/LMS", {1800, 360, 2775, 315}},
        {"lstSelected", "QListWidget", "", {120, 1080, 2655, 2790}},
        {"cmdExcl", "QPushButton", ">", {2880, 1560, 495, 360}},  // one pixel off the next
        {"cmdExclAll", "QPushButton", ">>", {2880, 1920, 495, 375}},
        {"cmdSelect", "QPushButton", "<", {2880, 2640, 495, 360}},
        {"cmdSelectAll", "QPushButton", "<<", {2880, 3000, 495, 375}},
        {"lstExcluded", "QListWidget", "", {3480, 1080, 2655, 2790}},
        {"cmdApply", "QPushButton", "&Apply", {2760, 3960, 735, 375}},
        {"cmdOK", "QPushButton", "&OK", {2280, 4440, 735, 375}},
        {"cmdCancel", "QPushButton", "&Cancel", {3240, 4440, 735, 375}},
        {"lblGameType", "QLabel", "Game Type", {2775, 120, 825, 195}},
        {"lblExcluded", "QLabel", "Excluded Maps", {4260, 840, 1095, 195}},
        {"lblSelected", "QLabel", "Selected Maps", {1005, 840, 1065, 195}},
        {"lblSelect", "QLabel", "3 map(s) selected", {120, 3960, 1935, 255}},
        {"lblExclude", "QLabel", "1 map(s) excluded", {4200, 3960, 1935, 255}},
    };
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Rendix - Map Exclusions"));
    EXPECT_EQ(editor->minimumSize(), QSize(427, 329));
    EXPECT_EQ(editor->maximumSize(), QSize(427, 329));
    QWidget* tab = child("cboGameType");
    std::vector<QRect> placed;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* control = child(row.name);
        ASSERT_NE(control, nullptr);
        EXPECT_STREQ(control->metaObject()->className(), row.kind);
        const QRect at(row.twips.topLeft() / 15, row.twips.size() / 15),
            geometry = control->geometry();
        // Grown about its centre where the font needs more room, never overlapping.
        EXPECT_TRUE(geometry.contains(at) && editor->rect().contains(geometry));
        EXPECT_LE(std::abs(geometry.center().x() - at.center().x()), 1);
        for (const QRect& other : placed) {
            EXPECT_FALSE(geometry.intersects(other));
        }
        placed.push_back(geometry);
        const QString caption = QString::fromUtf8(row.caption);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_EQ(label->text(), caption);
            EXPECT_GE(geometry.width(), label->sizeHint().width());
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), caption);
            EXPECT_FALSE(button->autoDefault() || button->isDefault());
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            EXPECT_EQ(combo->currentText(), caption);
            EXPECT_GE(geometry.width(), combo->sizeHint().width());
            EXPECT_FALSE(combo->isEditable());
        } else {
            EXPECT_EQ(qobject_cast<QListWidget*>(control)->selectionMode(),
                      QAbstractItemView::ExtendedSelection);
        }
        if (control->focusPolicy() & Qt::TabFocus) {  // the first ten rows, in tab order
            EXPECT_EQ(control, tab);
            do {
                tab = tab->nextInFocusChain();
            } while (!(tab->focusPolicy() & Qt::TabFocus));
        }
    }
    EXPECT_EQ(child<QComboBox>("cboGameType")->itemText(3), QStringLiteral("Assault"));
    EXPECT_FALSE(child("cmdApply")->isEnabled());
    EXPECT_EQ(child<QLabel>("lblExclude")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST_F(EditorWindowTest, MovesApplyAndOkDriveTheRealWindow) {
    pick("lstSelected", 0);
    click("cmdExcl");
    EXPECT_EQ(lines("lstSelected"), QStringLiteral("*DM-B.unr,DM-C.unr"));
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("DM-A.unr,DM-Tutorial.unr"));
    EXPECT_EQ(child<QLabel>("lblSelect")->text(), QStringLiteral("2 map(s) selected"));
    EXPECT_TRUE(child("cmdApply")->isEnabled());
    click("cmdExclAll");
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("DM-A.unr,DM-B.unr,DM-C.unr,DM-Tutorial.unr"));
    click("cmdSelectAll");  // the tutorial map stays, silently
    EXPECT_EQ(lines("lstSelected"), QStringLiteral("DM-A.unr,DM-B.unr,DM-C.unr"));
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("*DM-Tutorial.unr"));
    doubleClick("lstSelected", 2);
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("DM-C.unr,*DM-Tutorial.unr"));
    doubleClick("lstExcluded", 1);
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].title, QStringLiteral("Invalid Selection"));
    pick("lstExcluded", 0);
    click("cmdSelect");
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("*DM-Tutorial.unr"));
    doubleClick("lstSelected", 0);

    click("cmdApply");
    EXPECT_FALSE(child("cmdApply")->isEnabled());
    EXPECT_EQ(script.busyChanges(), (std::vector<bool>{true, false}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(state.DMExcludes, (ExclusionList{"DM-A.unr", "DM-Tutorial.unr"}));
    EXPECT_TRUE(
        testing::readBytes(state.settingsPath)
            .endsWith("[MapExcludes.DM]\r\nDM.Ex[0]=DM-A.unr\r\nDM.Ex[1]=DM-Tutorial.unr\r\n"));
    EXPECT_FALSE(main.isVisible());
    click("cmdOK");
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(editorGone());
}

TEST_F(EditorWindowTest, EveryCloseShowsTheMainWindowAndStoresNothing) {
    const struct {
        const char* name;
        std::function<void(EditorWindowTest&)> act;
    } rows[] = {
        {"Enter and Escape do nothing",
         [](EditorWindowTest& t) {
             for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                 QTest::keyClick(t.child("lstSelected"), key);
                 QTest::keyClick(t.editor, key);
             }
         }},
        {"OK", [](EditorWindowTest& t) { t.click("cmdOK"); }},
        {"Cancel", [](EditorWindowTest& t) { t.click("cmdCancel"); }},
        {"close box", [](EditorWindowTest& t) { t.editor->close(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        click("cmdExclAll");
        row.act(*this);
        const bool closes = row.name != rows[0].name;
        EXPECT_EQ(main.isVisible(), closes);
        EXPECT_EQ(editorGone(), closes);
        EXPECT_EQ(state.DMExcludes, ExclusionList{"DM-Tutorial.unr"});
        EXPECT_EQ(testing::readBytes(state.settingsPath), kSettings);
        if (closes) {
            open();
            EXPECT_EQ(lines("lstSelected"), QStringLiteral("DM-A.unr,DM-B.unr,DM-C.unr"));
        }
    }
}

TEST_F(EditorWindowTest, ScreenshotWithALongList) {
    for (int i = 0; i < 60; ++i) {
        testing::writeBytes(
            dir.file("UT/Maps/DM-Community-Map-With-A-Long-Name-" + QByteArray::number(i) + ".unr"),
            {});
    }
    testing::writeBytes(dir.file("UT/Maps/DM-\xE9t\xE9.unr"), {});
    editor->close();
    open();
    pick("lstSelected", 3);
    click("cmdExcl");
    EXPECT_EQ(child<QLabel>("lblSelect")->text(), QStringLiteral("63 map(s) selected"));
    EXPECT_TRUE(lines("lstSelected").endsWith(QStringLiteral("DM-\uFFFDt\uFFFD.unr")));
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(editor->grab().save(folder + QStringLiteral("/frmRandomize.png")));
}

TEST_F(EditorWindowTest, OpenedFromTheMainWindowWhichComesBackUnchanged) {
    editor->close();
    WindowCoordinator windows(dir.path());
    auto* shell = new frmMain(state, windows);
    shell->show();
    const QList<QCheckBox*> boxes = shell->findChildren<QCheckBox*>();
    ASSERT_EQ(boxes.size(), 4);
    boxes[1]->setChecked(!boxes[1]->isChecked());
    std::vector<bool> ticked;
    for (const QCheckBox* box : boxes) {
        ticked.push_back(box->isChecked());
    }
    shell->findChild<QPushButton*>(QStringLiteral("cmdDMExcl"))->click();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QStringLiteral("frmRandomize") && window->isVisible()) {
            editor = qobject_cast<frmRandomize*>(window);
        }
    }
    ASSERT_FALSE(editor.isNull());
    EXPECT_FALSE(shell->isVisible());
    click("cmdExclAll");
    click("cmdCancel");
    EXPECT_TRUE(shell->isVisible());
    EXPECT_TRUE(editorGone());
    for (std::size_t i = 0; i < ticked.size(); ++i) {
        EXPECT_EQ(boxes[static_cast<qsizetype>(i)]->isChecked(), ticked[i]);
    }
    delete shell;
}

}  // namespace
}  // namespace rendix
