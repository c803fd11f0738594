#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/Failures.h"
#include "app/GameTypes.h"
#include "ui/ShellFixture.h"
#include "ui/frmBrowse.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"

namespace rendix::testing {
namespace {

const Message kInvalidPath{QStringLiteral("Unreal Tournament is not in the specified location!"),
                           QStringLiteral("Invalid path")};

struct OptionsTest : ShellFixture {
    template <class T = QWidget>
    T* child(QWidget* window, const char* name) {
        T* found = window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
        EXPECT_TRUE(found) << name;
        return found;
    }
    QLineEdit* path() { return child<QLineEdit>(windows->options(), "txtUTPath"); }
    void confirm(const QByteArray& dir) {
        path()->setText(QFile::decodeName(dir));
        child<QPushButton>(windows->options(), "cmdOK")->click();
        flushDeletes();
    }
};

TEST_F(OptionsTest, HasItsControlsAndStartsWithTheHomeFolder) {
    start();
    frmOptions* options = windows->options();
    ASSERT_TRUE(options);
    EXPECT_EQ(options->windowTitle(), QStringLiteral("Rendix - Options"));
    EXPECT_EQ(child<QLabel>(options, "LblSelectPath")->text(),
              QStringLiteral("UnrealTournament Directory:"));
    EXPECT_EQ(path()->text(), QDir::homePath() + QStringLiteral("/UnrealTournament"));
    EXPECT_EQ(child<QPushButton>(options, "cmdBrowse")->text(), QStringLiteral("&Browse"));
    EXPECT_EQ(child<QPushButton>(options, "cmdOK")->text(), QStringLiteral("&OK"));
    EXPECT_TRUE(child<QPushButton>(options, "cmdOK")->isDefault());
    EXPECT_EQ(focusChain(options, options->focusWidget()),
              strings({"txtUTPath", "cmdBrowse", "cmdOK"}));
    screenshot(options, QStringLiteral("frmOptions"));

    // Enter confirms (and is refused here); Escape does nothing, as there is no Cancel.
    path()->setText(QStringLiteral("/nowhere"));
    QTest::keyClick(path(), Qt::Key_Return);
    QTest::keyClick(path(), Qt::Key_Escape);
    flushDeletes();
    EXPECT_EQ(shown(), std::vector<Message>{kInvalidPath});
    ASSERT_TRUE(windows->options());
    EXPECT_TRUE(windows->options()->isVisible());
}

// After a missing settings file the dialog's OK brings a new main window whose start-up
// reads the directory just stored, kept exactly as typed.
TEST_F(OptionsTest, ConfirmingAfterAMissingFileStartsAfresh) {
    start();
    const QByteArray game = makeGame("Games/ut") + "/";
    confirm(game);
    EXPECT_EQ(windows->options(), nullptr);
    ASSERT_TRUE(windows->mainWindow());
    EXPECT_TRUE(windows->mainWindow()->isVisible());
    EXPECT_EQ(windows->mainWindow()->windowTitle(),
              QStringLiteral("Rendix - ") + QFile::decodeName(game).toUpper());
    EXPECT_EQ(readBytes(settings()), settingsWith(game));
    EXPECT_EQ(windows->state().UTDir, game);
    for (const GameType& type : kGameTypes) {
        EXPECT_EQ(windows->state().*type.excludes, ExclusionList{type.tutorialMap});
    }
    EXPECT_TRUE(shown().empty());
}

// A program folder that cannot be written: the settings are read and written in the
// per-user folder, and the program folder is left alone.
TEST_F(OptionsTest, SettingsLiveInThePerUserFolderWhereTheProgramFolderIsReadOnly) {
    seam.setProgramDirectory(temp.file("no/such/program"));
    windows = std::make_unique<WindowCoordinator>();
    windows->showMainWindow();
    const QByteArray user = temp.file("config/Rendix");
    EXPECT_EQ(windows->state().settingsPath, user + "/Rendix.ini");
    const QByteArray game = makeGame("ut");
    confirm(game);
    EXPECT_EQ(readBytes(user + "/Rendix.ini"), settingsWith(game));
    ASSERT_TRUE(windows->mainWindow());
    EXPECT_TRUE(windows->mainWindow()->isVisible());
    EXPECT_FALSE(exists(temp.file("no")));
}

TEST_F(OptionsTest, StoresOnlyAGameDirectoryAndShowsTheHiddenWindowAgain) {
    struct Case {
        const char* name;
        QByteArray storedName;
        QByteArray typed;  // "%GOOD%" and "%LOWER%" stand for game directories
        bool failWrite;
        bool accepted;
    };
    const std::vector<Case> cases{
        {"Accepted", "Rendix.ini", "%GOOD%", false, true},
        {"WrittenToTheFileInItsOwnCase", "rendix.ini", "%GOOD%", false, true},
        {"GameFileInLowerCase", "Rendix.ini", "%LOWER%", false, false},
        {"NoSuchFolder", "Rendix.ini", "/no/such/folder", false, false},
        {"WriteFails", "Rendix.ini", "%GOOD%", true, false},
    };
    const QByteArray good = makeGame("good");
    const QByteArray lower = makeGame("lower", "unrealtournament.ini");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        windows.reset();
        for (const QByteArray& name : folderNames(program())) {
            QFile::remove(QFile::decodeName(program() + "/" + name));
        }
        // A stored directory that fails the test leaves the main window hidden.
        const QByteArray before = settingsWith("/old/ut");
        writeBytes(program() + "/" + c.storedName, before);
        const size_t boxesBefore = shown().size();
        start();
        frmMain* main = windows->mainWindow();
        ASSERT_TRUE(main);
        EXPECT_EQ(path()->text(), QStringLiteral("/old/ut"));
        if (c.failWrite) {
            seam.failAll(platform::Operation::Write);
        }
        const QByteArray typed =
            QByteArray(c.typed).replace("%GOOD%", good).replace("%LOWER%", lower);
        confirm(typed);
        seam.resetCounts();

        const QByteArray file = program() + "/" + c.storedName;
        EXPECT_EQ(folderNames(program()), std::vector<QByteArray>{c.storedName});
        EXPECT_EQ(readBytes(file), c.accepted ? settingsWith(typed) : before);
        EXPECT_EQ(windows->state().UTDir, c.accepted ? typed : QByteArray("/old/ut"));
        EXPECT_EQ(windows->mainWindow(), main);
        EXPECT_EQ(main->isVisible(), c.accepted);
        // The caption stays as the first start-up left it.
        EXPECT_EQ(main->windowTitle(), QStringLiteral("Rendix"));
        EXPECT_EQ(windows->options() != nullptr, !c.accepted);
        std::vector<Message> boxes(shown().begin() + static_cast<long>(boxesBefore) + 1,
                                   shown().end());
        const std::vector<Message> expected = c.accepted ? std::vector<Message>{}
                                              : c.failWrite
                                                  ? std::vector<Message>{writeFailedMessage(file)}
                                                  : std::vector<Message>{kInvalidPath};
        EXPECT_EQ(boxes, expected);
    }
}

TEST_F(OptionsTest, PickerHandsBackTheFolderItHasOpen) {
    start();
    const QByteArray game = makeGame("Games/ut");
    child<QPushButton>(windows->options(), "cmdBrowse")->click();
    frmBrowse* picker = windows->picker();
    ASSERT_TRUE(picker);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_TRUE(windows->options()->isVisible());
    EXPECT_EQ(picker->windowTitle(), QStringLiteral("Select UT Directory"));
    EXPECT_EQ(child<QPushButton>(picker, "cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_TRUE(child<QPushButton>(picker, "cmdOK")->isDefault());
    EXPECT_EQ(focusChain(picker, picker->focusWidget()), strings({"Dir1", "cmdOK", "Drive1"}));

    auto* drives = child<QComboBox>(picker, "Drive1");
    EXPECT_EQ(drives->itemText(0), QStringLiteral("/"));
    drives->setCurrentIndex(-1);
    drives->setCurrentIndex(0);
    EXPECT_EQ(picker->currentPath(), QStringLiteral("/"));

    // Opening a folder by double-click; the path has no trailing separator.
    picker->setCurrentPath(QFile::decodeName(game) + QStringLiteral("/"));
    EXPECT_EQ(picker->currentPath(), QFile::decodeName(game));
    auto* list = child<QListWidget>(picker, "Dir1");
    const QList<QListWidgetItem*> system =
        list->findItems(QStringLiteral("System"), Qt::MatchEndsWith);
    ASSERT_EQ(system.size(), 1);
    Q_EMIT list->itemDoubleClicked(system.front());
    EXPECT_EQ(picker->currentPath(), QFile::decodeName(game) + QStringLiteral("/System"));
    screenshot(picker, QStringLiteral("frmBrowse"));
    picker->setCurrentPath(QFile::decodeName(game));

    // The options dialog closed meanwhile: the picker's OK creates it again.
    windows->options()->close();
    flushDeletes();
    ASSERT_EQ(windows->options(), nullptr);
    child<QPushButton>(picker, "cmdOK")->click();
    flushDeletes();
    EXPECT_EQ(windows->picker(), nullptr);
    ASSERT_TRUE(windows->options());
    EXPECT_TRUE(windows->options()->isVisible());
    EXPECT_EQ(path()->text(), QFile::decodeName(game));
}

}  // namespace
}  // namespace rendix::testing
