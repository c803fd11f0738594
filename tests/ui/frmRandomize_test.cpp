#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include <functional>

#include "app/GameTypes.h"
#include "platform/FileSystem.h"
#include "support/TestFiles.h"
#include "ui/WindowMessages.h"
#include "ui/frmRandomize.h"

namespace rendix {
namespace {

using testing::readBytes;
using testing::writeBytes;

const QByteArray kSettings =
    "[Main]\r\nUTDir=/ut\r\n\r\n[MapExcludes.DM]\r\nDM.Ex[0]=DM-Tutorial.unr\r\n\r\n"
    "[MapExcludes.CTF]\r\nCTF.Ex[0]=CTF-Tutorial.unr\r\n\r\n"
    "[MapExcludes.DOM]\r\nDOM.Ex[0]=DOM-Tutorial.unr\r\n\r\n"
    "[MapExcludes.AS]\r\nAS.Ex[0]=AS-Tutorial.unr\r\n\r\n";

struct EditorWindowTest : ::testing::Test {
    EditorWindowTest() {
        state.UTDir = dir.file("UT");
        state.settingsPath = dir.file("Rendix.ini");
        for (const GameType& type : kGameTypes) {
            state.*type.excludes = {type.tutorialMap};
        }
        for (const char* map : {"DM-Tutorial.unr", "DM-A.unr", "DM-B.unr", "DM-C.unr"}) {
            writeBytes(dir.file("UT/Maps/") + map, {});
        }
        writeBytes(state.settingsPath, kSettings);
        main.show();
        open();
    }
    // What the main window's cmdDMExcl does.
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
    // The lines of a list, a selected one marked with "*".
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
        QWidget* viewport = list(name)->viewport();
        const QPointF at = list(name)->visualItemRect(list(name)->item(row)).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        }
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

TEST_F(EditorWindowTest, ControlsStandWhereTheLayoutPutsThem) {
    const struct {
        const char* name;
        const char* kind;
        const char* caption;
        QRect twips;
    } rows[] = {
        {"cboGameType", "QComboBox", "DeathMatch/Team DeathMatch/LMS", {1800, 360, 2775, 315}},
        {"lstSelected", "QListWidget", "", {120, 1080, 2655, 2790}},
        {"cmdExcl", "QPushButton", ">", {2880, 1560, 495, 360}},
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
    EXPECT_EQ(editor->size(), QSize(427, 329));
    EXPECT_EQ(editor->minimumSize(), editor->maximumSize());
    QWidget* focus = child("cboGameType");
    std::vector<QRect> placed;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* control = child(row.name);
        ASSERT_NE(control, nullptr);
        EXPECT_STREQ(control->metaObject()->className(), row.kind);
        const QRect at(row.twips.x() / 15, row.twips.y() / 15, row.twips.width() / 15,
                       row.twips.height() / 15);
        const QRect geometry = control->geometry();
        // Grown about its centre where the font needs it, never shrunk, never overlapping.
        EXPECT_TRUE(geometry.contains(at));
        EXPECT_LE(std::abs(geometry.center().x() - at.center().x()), 1);
        EXPECT_TRUE(editor->rect().contains(geometry));
        for (const QRect& other : placed) {
            EXPECT_FALSE(geometry.intersects(other))
                << "overlaps " << other.x() << "," << other.y();
        }
        placed.push_back(geometry);
        QString text = QString::fromUtf8(row.caption);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_EQ(label->text(), text);
            EXPECT_GE(geometry.width(), label->sizeHint().width());
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), text);
            EXPECT_FALSE(button->autoDefault() || button->isDefault());
            EXPECT_GT(geometry.width(),
                      button->fontMetrics().horizontalAdvance(text.remove(QLatin1Char('&'))) + 8);
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            EXPECT_EQ(combo->currentText(), text);
            EXPECT_GE(geometry.width(), combo->sizeHint().width());
            EXPECT_FALSE(combo->isEditable());
        } else {
            EXPECT_EQ(qobject_cast<QListWidget*>(control)->selectionMode(),
                      QAbstractItemView::ExtendedSelection);
        }
        if (control->focusPolicy() & Qt::TabFocus) {  // rows 0 to 9 are in tab order
            EXPECT_EQ(control, focus);
            do {
                focus = focus->nextInFocusChain();
            } while (!(focus->focusPolicy() & Qt::TabFocus));
        }
    }
    auto* combo = child<QComboBox>("cboGameType");
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(3), QStringLiteral("Assault"));
    EXPECT_FALSE(child("cmdApply")->isEnabled());
    EXPECT_EQ(child<QLabel>("lblExclude")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST_F(EditorWindowTest, MovesApplyAndOkDriveTheRealWindow) {
    EXPECT_FALSE(main.isVisible());
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
    EXPECT_EQ(lines("lstExcluded"), QStringLiteral("DM-C.unr,*DM-Tutorial.unr"));
    pick("lstSelected", 1);
    list("lstExcluded")->clearSelection();
    click("cmdSelect");  // nothing selected on the right: nothing moves
    EXPECT_EQ(lines("lstSelected"), QStringLiteral("DM-A.unr,*DM-B.unr"));

    click("cmdApply");
    EXPECT_FALSE(child("cmdApply")->isEnabled());
    EXPECT_EQ(script.busyChanges(), (std::vector<bool>{true, false}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(state.DMExcludes, (ExclusionList{"DM-C.unr", "DM-Tutorial.unr"}));
    EXPECT_TRUE(
        readBytes(state.settingsPath)
            .endsWith("[MapExcludes.DM]\r\nDM.Ex[0]=DM-C.unr\r\nDM.Ex[1]=DM-Tutorial.unr\r\n"));
    click("cmdOK");
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(editorGone());
}

TEST_F(EditorWindowTest, EveryCloseShowsTheMainWindowAndStoresNothing) {
    const struct {
        const char* name;
        std::function<void(EditorWindowTest&)> act;
        bool closes;
    } rows[] = {
        {"OK", [](EditorWindowTest& t) { t.click("cmdOK"); }, true},
        {"Cancel", [](EditorWindowTest& t) { t.click("cmdCancel"); }, true},
        {"close box", [](EditorWindowTest& t) { t.editor->close(); }, true},
        {"Enter and Escape",
         [](EditorWindowTest& t) {
             for (QWidget* target : {t.child("lstSelected"), static_cast<QWidget*>(t.editor)}) {
                 for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                     QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                     QApplication::sendEvent(target, &press);
                 }
             }
         },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        click("cmdExclAll");
        row.act(*this);
        EXPECT_EQ(main.isVisible(), row.closes);
        EXPECT_EQ(editorGone(), row.closes);
        EXPECT_EQ(state.DMExcludes, ExclusionList{"DM-Tutorial.unr"});
        EXPECT_EQ(readBytes(state.settingsPath), kSettings);
        if (row.closes) {
            open();
            EXPECT_EQ(lines("lstSelected"), QStringLiteral("DM-A.unr,DM-B.unr,DM-C.unr"));
        }
    }
}

TEST_F(EditorWindowTest, ScreenshotWithALongList) {
    for (int i = 0; i < 60; ++i) {
        writeBytes(
            dir.file("UT/Maps/DM-Community-Map-With-A-Long-Name-") + QByteArray::number(i) + ".unr",
            {});
    }
    writeBytes(dir.file("UT/Maps/DM-\xE9t\xE9.unr"), {});
    editor->close();
    open();
    list("lstSelected")->item(3)->setSelected(true);
    click("cmdExcl");
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(editor->grab().save(folder + QStringLiteral("/frmRandomize.png")));
    EXPECT_EQ(child<QLabel>("lblSelect")->text(), QStringLiteral("63 map(s) selected"));
    EXPECT_TRUE(lines("lstSelected").contains(QStringLiteral("DM-\uFFFDt\uFFFD.unr")));
    // The temporary folder cannot remove names that are not UTF-8 by itself.
    platform::removeMatching(dir.file("UT/Maps"), "*");
}

}  // namespace
}  // namespace rendix
