#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <set>

#include "maintenance/MaintenanceFixture.h"
#include "platform/Seam.h"
#include "support/GameInstall.h"
#include "support/TestFiles.h"
#include "ui/WindowCoordinator.h"
#include "ui/WindowMessages.h"
#include "ui/frmMain.h"

// The main window's three commands on UnrealTournament.ini, driven through its buttons
// against a generated game install.
namespace rendix {
namespace {

using testing::readBytes;

struct MainWindowCommands : ::testing::Test {
    MainWindowCommands() {
        seam.setProgramDirectory(temp.file("program"));
        seam.setUserConfigFolder(temp.file("config"));
        seam.setLocalTime(testing::kFixedTime);
        testing::makeFolder(temp.file("program"));
        testing::writeSettingsFor(temp.file("program"), install.root);
        windows = std::make_unique<WindowCoordinator>(temp.file("program"));
        windows->showMainWindow();
        window = windows->mainWindow();
    }
    ~MainWindowCommands() override { windows.reset(); }

    template <class T>
    T* child(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void tick(std::array<bool, 4> ticked) {
        const char* names[] = {"chkDM", "chkCTF", "chkDOM", "chkASS"};
        for (std::size_t i = 0; i < ticked.size(); ++i) {
            child<QCheckBox>(names[i])->setChecked(ticked[i]);
        }
    }
    void click(const char* button) { child<QPushButton>(button)->click(); }
    QString status() { return child<QLabel>("lblStatus")->text(); }
    std::size_t backups() const {
        std::size_t count = 0;
        for (const QByteArray& name : testing::folderNames(install.system)) {
            count += name.toLower().startsWith("rendix_unrealtournament") ? 1 : 0;
        }
        return count;
    }

    testing::TempDir temp;
    platform::TestSeam seam;
    MessageBoxScript script;
    testing::GameInstall install = testing::makeGameInstall(temp.file("UT"));
    std::unique_ptr<WindowCoordinator> windows;
    frmMain* window = nullptr;
};

TEST_F(MainWindowCommands, RandomizeServerPackagesAndDeleteBackups) {
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    const QByteArray original = readBytes(install.ini);

    // CTF alone: the nine stock maps but the excluded tutorial, in some order.
    tick({false, true, false, false});
    click("cmdRandomize");
    EXPECT_EQ(status(), QStringLiteral("Found 9 CTF maps... randomized list."));
    const MapList ctf = testing::readMapList(readBytes(install.ini), kGameTypes[1]);
    std::set<QByteArray> written;
    for (std::size_t k = 0; k < ctf.size(); ++k) {
        EXPECT_EQ(ctf[k].has_value(), k < 9) << k;
        if (ctf[k]) {
            written.insert(*ctf[k]);
        }
    }
    std::vector<QByteArray> stock = testing::stockMapNames(kGameTypes[1]);
    EXPECT_EQ(written, std::set<QByteArray>(stock.begin() + 1, stock.end()));
    EXPECT_EQ(readBytes(install.system + "/Rendix_UnrealTournament1242357.ini"), original);

    tick({true, true, true, true});
    click("cmdRandomize");
    EXPECT_EQ(status(), QStringLiteral("Randomized all map lists."));
    EXPECT_EQ(backups(), 5u);

    // Two entries without .int files go, the three custom .int files without one come in
    // after the last entry of the block.
    const QByteArray before = readBytes(install.ini);
    QByteArray expected = before;
    expected.replace("ServerPackages=OldMod001\r\n", "")
        .replace("ServerPackages=OldMod002\r\n", "")
        .replace("ServerPackages=Custom003\r\n",
                 "ServerPackages=Custom003\r\nServerPackages=custom004\r\n"
                 "ServerPackages=custom005\r\nServerPackages=custom006\r\n");
    click("cmdAddInt");
    EXPECT_EQ(status(), QStringLiteral("Removed 2 serverpackages entries... Added 3 "
                                       "serverpackages entries."));
    EXPECT_EQ(readBytes(install.ini), expected);
    click("cmdAddInt");
    EXPECT_EQ(status(), QStringLiteral("No serverpackages removed... No serverpackages added."));
    EXPECT_EQ(readBytes(install.ini), expected);
    EXPECT_EQ(backups(), 8u);
    EXPECT_TRUE(script.shown().empty());

    const Message ask{QStringLiteral("Are you sure you want to delete the backups of your "
                                     "UnrealTournament.ini file?"),
                      QStringLiteral("Continue?"), MessageButtons::YesNo, MessageAnswer::Yes,
                      MessageIcon::None};
    const Message nothing{QStringLiteral("No backups to delete."), QStringLiteral("Nothing to do"),
                          MessageButtons::Ok, MessageAnswer::Ok, MessageIcon::None};
    script.queueAnswer(MessageAnswer::No);
    click("cmdDelete");
    EXPECT_EQ(backups(), 8u);
    script.queueAnswer(MessageAnswer::Yes);
    click("cmdDelete");
    EXPECT_EQ(backups(), 0u);
    click("cmdDelete");
    EXPECT_EQ(script.shown(), (std::vector<Message>{ask, ask, nothing}));
    EXPECT_EQ(readBytes(install.ini), expected);
    EXPECT_EQ(status(), QStringLiteral("No serverpackages removed... No serverpackages added."));
    // Every command showed the busy pointer and put the default one back.
    EXPECT_EQ(script.busyChanges().size(), 2u * 7u);
    EXPECT_FALSE(script.busyChanges().empty() || script.busyChanges().back());
}

}  // namespace
}  // namespace rendix
