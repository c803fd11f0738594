#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "ui/ShellFixture.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

namespace rendix::testing {
namespace {

struct MainWindowTest : ShellFixture {
    MainWindowTest() {
        writeBytes(settings(), settingsWith(makeGame("ut")));
        start();
        window = windows->mainWindow();
    }
    template <class T = QWidget>
    T* child(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    frmMain* window = nullptr;
};

TEST_F(MainWindowTest, HasEveryControlWithItsCaptionKindAndTooltip) {
    struct Control {
        const char* name;
        const char* kind;
        const char* parent;
        QString caption;
        QString toolTip;
    };
    const QString none;
    const std::vector<Control> controls{
        {"frmMaps", "QGroupBox", "", QStringLiteral("Map Tools"), none},
        {"cmdDMExcl", "QPushButton", "frmMaps", QStringLiteral("&Edit Map Lists..."),
         QStringLiteral("Edit lists of maps that you want to exclude from the randomized lists")},
        {"Line1", "QFrame", "frmMaps", none, none},
        {"chkDM", "QCheckBox", "frmMaps",
         QStringLiteral("Death Match / Team Death Match / Last Man Standing"), none},
        {"chkCTF", "QCheckBox", "frmMaps", QStringLiteral("Capture The Flag"), none},
        {"chkDOM", "QCheckBox", "frmMaps", QStringLiteral("Domination"), none},
        {"chkASS", "QCheckBox", "frmMaps", QStringLiteral("Assault"), none},
        {"cmdRandomize", "QPushButton", "frmMaps", QStringLiteral("&Randomize Map Lists"), none},
        {"cmdAddInt", "QPushButton", "", QStringLiteral("&Add/Remove ServerPackages Entries"),
         QStringLiteral("Removes entries for .INT files that do not exist, adds entries for .INT "
                        "files that had none")},
        {"cmdDelete", "QPushButton", "", QStringLiteral("&Delete Backup Files"),
         QStringLiteral("Deletes backups of the UnrealTournament.ini file that were created by "
                        "this program")},
        {"lblStatus", "QLabel", "", none, none},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* widget = child(c.name);
        ASSERT_TRUE(widget);
        EXPECT_STREQ(widget->metaObject()->className(), c.kind);
        const QWidget* parent = widget->parentWidget();
        EXPECT_EQ(parent->objectName(), QLatin1String(c.parent));
        EXPECT_EQ(widget->toolTip(), c.toolTip);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(button->text(), c.caption);
            // The caption fits: nothing of it is cut off.
            EXPECT_LE(button->sizeHint().width() - (qobject_cast<QCheckBox*>(button) ? 0 : 16),
                      button->width());
        } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
            EXPECT_EQ(frame->title(), c.caption);
        }
        // Inside its parent, but for the status line, which runs past both side edges.
        if (QLatin1String(c.name) != QLatin1String("lblStatus")) {
            EXPECT_TRUE(parent->rect().contains(widget->geometry())) << c.name;
        }
    }
    EXPECT_EQ(child<QFrame>("Line1")->frameShape(), QFrame::HLine);
    EXPECT_EQ(child<QLabel>("lblStatus")->frameShape(), QFrame::Panel);
    EXPECT_EQ(child<QLabel>("lblStatus")->text(), QString());
    // The status line runs across the whole width.
    EXPECT_LT(child("lblStatus")->geometry().left(), 0);
    EXPECT_GE(child("lblStatus")->geometry().right(), window->centralWidget()->width());
    for (const char* box : {"chkDM", "chkCTF", "chkDOM", "chkASS"}) {
        EXPECT_TRUE(child<QCheckBox>(box)->isChecked()) << box;
    }
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(focusChain(window, window->focusWidget()),
              strings({"cmdRandomize", "cmdDMExcl", "chkDM", "chkCTF", "chkDOM", "chkASS",
                       "cmdAddInt", "cmdDelete"}));
    screenshot(window, QStringLiteral("frmMain"));
}

TEST_F(MainWindowTest, HasTheFileAndHelpMenusWithoutShortcutKeys) {
    const std::vector<std::pair<const char*, std::vector<std::pair<const char*, const char*>>>>
        menus{{"mnuFile", {{"mnuFileExit", "E&xit"}}},
              {"mnuHelp", {{"mnuHelpHelp", "Rendix &Help"}, {"mnuHelpAbout", "&About Rendix"}}}};
    QStringList titles;
    for (QAction* action : window->menuBar()->actions()) {
        titles << action->text();
    }
    EXPECT_EQ(titles, strings({"&File", "&Help"}));
    for (const auto& [menuName, items] : menus) {
        QMenu* menu = child<QMenu>(menuName);
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu->actions().size(), static_cast<qsizetype>(items.size()));
        for (size_t i = 0; i < items.size(); ++i) {
            QAction* action = menu->actions()[static_cast<qsizetype>(i)];
            EXPECT_EQ(action->objectName(), QLatin1String(items[i].first));
            EXPECT_EQ(action->text(), QLatin1String(items[i].second));
            EXPECT_TRUE(action->shortcut().isEmpty());
        }
    }
}

TEST_F(MainWindowTest, EnterPressesRandomizeUnlessAnotherButtonHasTheFocus) {
    int randomized = 0;
    int deleted = 0;
    QObject::connect(child<QPushButton>("cmdRandomize"), &QPushButton::clicked,
                     [&] { ++randomized; });
    QObject::connect(child<QPushButton>("cmdDelete"), &QPushButton::clicked, [&] { ++deleted; });
    for (const char* box : {"chkDM", "chkCTF", "chkDOM", "chkASS"}) {
        child<QCheckBox>(box)->setChecked(false);
    }
    QTest::keyClick(child("chkCTF"), Qt::Key_Return);
    QTest::keyClick(child("cmdRandomize"), Qt::Key_Enter);
    QTest::keyClick(child("cmdDelete"), Qt::Key_Return);
    EXPECT_EQ(randomized, 2);
    EXPECT_EQ(deleted, 1);
}

TEST_F(MainWindowTest, EditorHidesTheWindowWhichKeepsItsCheckBoxes) {
    child<QCheckBox>("chkDOM")->setChecked(false);
    child<QPushButton>("cmdDMExcl")->click();
    QWidget* editor = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("frmRandomize") && top->isVisible()) {
            editor = top;
        }
    }
    ASSERT_TRUE(editor);
    EXPECT_FALSE(window->isVisible());
    editor->close();
    flushDeletes();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->tickedGameTypes(), (std::array<bool, 4>{true, true, false, true}));
}

TEST_F(MainWindowTest, HelpOpensThePageBesideTheProgramEvenWhenMissing) {
    child<QAction>("mnuHelpHelp")->trigger();
    EXPECT_EQ(seam.openedDocuments(), std::vector<QByteArray>{program() + "/Rendix.htm"});
    EXPECT_TRUE(shown().empty());
}

TEST_F(MainWindowTest, ExitLeavesTheAboutBoxOpen) {
    child<QAction>("mnuHelpAbout")->trigger();
    QPointer<frmAbout> about = windows->about();
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->parentWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());
    child<QAction>("mnuFileExit")->trigger();
    flushDeletes();
    EXPECT_EQ(windows->mainWindow(), nullptr);
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());
}

}  // namespace
}  // namespace rendix::testing
