#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

#include "app/Failures.h"
#include "maintenance/Backups.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/MaintenanceMessages.h"
#include "maintenance/Randomizer.h"
#include "maintenance/ServerPackages.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"

// Every operation of every kind that a command makes is made to fail in turn. Whatever
// fails, UnrealTournament.ini is left in a state the command promises, every backup is
// complete (it holds a former state of the file), the right box shows and no status text
// claims what did not happen.
namespace rendix {
namespace {

using platform::Operation;
using platform::TestSeam;
using testing::ScriptedMessages;
using testing::SmallInstall;

constexpr std::array<Operation, platform::kOperationCount> kOperations{
    Operation::Open,   Operation::Read, Operation::Write,  Operation::Flush, Operation::Sync,
    Operation::Rename, Operation::Copy, Operation::Delete, Operation::List,
};

const QString kEarlier = QStringLiteral("earlier");

// Runs `command` on a fresh install once to count the operations, then once per operation
// with that one failing, and hands each outcome to `check`.
void failEachOperation(
    const std::function<std::unique_ptr<SmallInstall>()>& makeInstall,
    const std::function<void(SmallInstall&, Messages&)>& command,
    const std::function<void(const SmallInstall&, const ScriptedMessages&)>& check) {
    std::array<int, platform::kOperationCount> counts{};
    {
        const std::unique_ptr<SmallInstall> install = makeInstall();
        ScriptedMessages messages;
        TestSeam seam;
        seam.setLocalTime(testing::kFixedTime);
        command(*install, messages);
        for (std::size_t i = 0; i < kOperations.size(); ++i) {
            counts[i] = seam.count(kOperations[i]);
        }
    }
    ASSERT_GT(std::accumulate(counts.begin(), counts.end(), 0), 2);
    for (std::size_t i = 0; i < kOperations.size(); ++i) {
        for (int n = 1; n <= counts[i]; ++n) {
            SCOPED_TRACE(::testing::Message() << "operation " << i << " number " << n);
            const std::unique_ptr<SmallInstall> install = makeInstall();
            ScriptedMessages messages;
            messages.statusText = kEarlier;
            {
                TestSeam seam;
                seam.setLocalTime(testing::kFixedTime);
                seam.failNth(kOperations[i], n);
                command(*install, messages);
            }
            check(*install, messages);
            for (const QByteArray& name : testing::folderNames(install->system)) {
                EXPECT_FALSE(name.startsWith('.')) << "left behind: " << name.constData();
            }
        }
    }
}

bool isOneOf(const Message& shown, const std::vector<Message>& allowed) {
    return std::find(allowed.begin(), allowed.end(), shown) != allowed.end();
}

const QByteArray kMapsIni =
    "[Botpack.TDMmaplist]\r\nMaps[0]=DM-Old.unr\r\nMaps[1]=DM-Old2.unr\r\n\r\n"
    "[UTMenu.UTStartGameCW]\r\nMap=DM-Old.unr\r\nGameType=BotPack.DeathMatchPlus\r\n";

TEST(MaintenanceFaults, RandomizeAllFourStopsAtTheFailingType) {
    const auto makeInstall = [] {
        auto install = std::make_unique<SmallInstall>(kMapsIni);
        for (const char* map : {"DM-A.unr", "DM-B.unr", "DM-C.unr", "CTF-A.unr", "CTF-B.unr",
                                "DOM-A.unr", "DOM-B.unr", "AS-A.unr", "AS-B.unr"}) {
            install->addMap(map);
        }
        return install;
    };
    const auto command = [](SmallInstall& install, Messages& messages) {
        RandomizeCommand(install.state, messages, {true, true, true, true});
    };
    const auto check = [](const SmallInstall& install, const ScriptedMessages& messages) {
        const QString success = QStringLiteral(" randomized list.");
        const auto completed = static_cast<std::size_t>(
            std::count_if(messages.statusHistory.begin(), messages.statusHistory.end(),
                          [&](const QString& text) { return text.endsWith(success); }));
        ASSERT_LE(completed, kGameTypes.size());
        // The states the file went through, rebuilt from the lists it now holds.
        const QByteArray result = testing::readBytes(install.ini);
        std::vector<QByteArray> states{kMapsIni};
        for (std::size_t t = 0; t < completed; ++t) {
            states.push_back(testing::applyWrites(
                states.back(),
                mapListWrites(kGameTypes[t], testing::readMapList(result, kGameTypes[t]))));
        }
        EXPECT_EQ(result, states.back());
        if (messages.shown.empty()) {
            EXPECT_EQ(completed, kGameTypes.size());
            EXPECT_EQ(messages.statusText, QStringLiteral("Randomized all map lists."));
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            const QByteArray ini = install.state.UTDir + "/system/UnrealTournament.ini";
            EXPECT_TRUE(
                isOneOf(messages.shown[0], {listFailedMessage(install.state.UTDir + "/maps"),
                                            backupFailedMessage(ini), writeFailedMessage(ini)}))
                << messages.shown[0].title.toStdString();
            EXPECT_LT(completed, kGameTypes.size());
            EXPECT_FALSE(messages.statusText.endsWith(success));
            EXPECT_NE(messages.statusText, QStringLiteral("Randomized all map lists."));
        }
        const std::vector<QByteArray> backups = install.backups();
        EXPECT_GE(backups.size(), completed);
        EXPECT_LE(backups.size(), completed + 1);
        for (std::size_t b = 0; b < backups.size() && b < states.size(); ++b) {
            EXPECT_EQ(backups[b], states[b]) << "backup " << b;
        }
        EXPECT_EQ(install.rendixFiles().size(), backups.size());
    };
    failEachOperation(makeInstall, command, check);
}

const QByteArray kPackagesIni =
    "[Engine.GameEngine]\r\nServerPackages=Botpack\r\nServerPackages=Gone\r\n\r\n[X]\r\n";
const QByteArray kRemoved = "[Engine.GameEngine]\r\nServerPackages=Botpack\r\n\r\n[X]\r\n";
const QByteArray kAdded =
    "[Engine.GameEngine]\r\nServerPackages=Botpack\r\nServerPackages=mymod\r\n\r\n[X]\r\n";

TEST(MaintenanceFaults, ServerPackagesKeepsTheRemovalOrNothing) {
    const auto makeInstall = [] {
        auto install = std::make_unique<SmallInstall>(kPackagesIni);
        install->addSystemFile("Botpack.int");
        install->addSystemFile("MyMod.int");
        return install;
    };
    const auto command = [](SmallInstall& install, Messages& messages) {
        ServerPackagesCommand(install.state, messages);
    };
    const auto check = [](const SmallInstall& install, const ScriptedMessages& messages) {
        const QString removal = QStringLiteral("Removed 1 serverpackages entries...");
        const QByteArray ini = install.state.UTDir + "/system/UnrealTournament.ini";
        const QByteArray result = testing::readBytes(install.ini);
        const std::vector<QByteArray> backups = install.backups();
        EXPECT_EQ(install.rendixFiles().size(), backups.size());
        if (messages.shown.empty()) {
            EXPECT_EQ(result, kAdded);
            EXPECT_EQ(messages.statusText,
                      removal + QStringLiteral(" Added 1 serverpackages entries."));
            EXPECT_EQ(backups, (std::vector<QByteArray>{kPackagesIni, kRemoved}));
            return;
        }
        ASSERT_EQ(messages.shown.size(), 1u);
        if (result == kPackagesIni) {
            EXPECT_TRUE(
                isOneOf(messages.shown[0], {listFailedMessage(install.state.UTDir + "/system"),
                                            backupFailedMessage(ini), writeFailedMessage(ini)}));
            EXPECT_EQ(messages.statusText, kEarlier);
            EXPECT_LE(backups.size(), 1u);
        } else {
            EXPECT_EQ(result, kRemoved);
            EXPECT_TRUE(
                isOneOf(messages.shown[0], {backupFailedMessage(ini), writeFailedMessage(ini)}));
            EXPECT_EQ(messages.statusText, removal);
            EXPECT_GE(backups.size(), 1u);
        }
        const std::vector<QByteArray> states{kPackagesIni, kRemoved};
        ASSERT_LE(backups.size(), states.size());
        for (std::size_t b = 0; b < backups.size(); ++b) {
            EXPECT_EQ(backups[b], states[b]) << "backup " << b;
        }
    };
    failEachOperation(makeInstall, command, check);
}

TEST(MaintenanceFaults, DeleteBackupsSaysWhenBackupsStay) {
    const std::vector<QByteArray> names{"Rendix_UnrealTournament1.ini",
                                        "Rendix_UnrealTournament2.ini"};
    const auto makeInstall = [&] {
        auto install = std::make_unique<SmallInstall>(kPackagesIni);
        for (const QByteArray& name : names) {
            install->addSystemFile(name, name);
        }
        return install;
    };
    const auto command = [](SmallInstall& install, Messages& messages) {
        DeleteBackups(install.state, messages);
    };
    const auto check = [&](const SmallInstall& install, const ScriptedMessages& messages) {
        const QByteArray folder = install.state.UTDir + "/system";
        std::size_t left = 0;
        for (const QByteArray& name : names) {
            if (testing::exists(install.system + '/' + name)) {
                ++left;
                EXPECT_EQ(testing::readBytes(install.system + '/' + name), name);
            }
        }
        ASSERT_FALSE(messages.shown.empty());
        const Message& last = messages.shown.back();
        if (left == 0) {
            EXPECT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(last.title, QStringLiteral("Continue?"));
        } else {
            EXPECT_TRUE(isOneOf(last, {listFailedMessage(folder), deleteFailedMessage(folder)}));
        }
        EXPECT_EQ(testing::readBytes(install.ini), kPackagesIni);
    };
    failEachOperation(makeInstall, command, check);
}

}  // namespace
}  // namespace rendix
