#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "maintenance/Backups.h"
#include "maintenance/MaintenanceFixture.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"

namespace rendix {
namespace {

using platform::LocalDateTime;
using platform::Operation;
using platform::TestSeam;
using testing::ScriptedMessages;
using testing::SmallInstall;

const QByteArray kIni("[URL]\r\nMap=Index.unr\r\n");

struct NameCase {
    const char* name;
    LocalDateTime time;
    std::vector<QByteArray> existing;  // backups already in the system folder
    QByteArray expected;
};

TEST(Backups, NamesTimeAndNeverReplaceAnEarlierBackup) {
    const std::vector<NameCase> cases{
        {"december evening", {2024, 12, 4, 23, 5, 7}, {}, "Rendix_UnrealTournament1242357.ini"},
        {"new year midnight", {2025, 1, 1, 0, 0, 0}, {}, "Rendix_UnrealTournament11000.ini"},
        {"name taken",
         {2024, 12, 4, 23, 5, 7},
         {"Rendix_UnrealTournament1242357.ini"},
         "Rendix_UnrealTournament1242357_2.ini"},
        {"name and _2 taken",
         {2024, 12, 4, 23, 5, 7},
         {"Rendix_UnrealTournament1242357.ini", "Rendix_UnrealTournament1242357_2.ini"},
         "Rendix_UnrealTournament1242357_3.ini"},
        {"taken in lower case",
         {2024, 12, 4, 23, 5, 7},
         {"rendix_unrealtournament1242357.ini"},
         "Rendix_UnrealTournament1242357_2.ini"},
        // 11 January 2:03:04 and 1 November 2:03:04 give the same digits.
        {"other date same digits",
         {2024, 1, 11, 2, 3, 4},
         {"Rendix_UnrealTournament111234.ini"},
         "Rendix_UnrealTournament111234_2.ini"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        SmallInstall install(kIni);
        for (const QByteArray& name : c.existing) {
            install.addSystemFile(name, "earlier " + name);
        }
        TestSeam seam;
        seam.setLocalTime(c.time);
        ASSERT_TRUE(BackupGameConfig(install.state).ok);
        EXPECT_EQ(install.state.LastBackup, install.system + '/' + c.expected);
        EXPECT_EQ(testing::readBytes(install.system + '/' + c.expected), kIni);
        for (const QByteArray& name : c.existing) {
            EXPECT_EQ(testing::readBytes(install.system + '/' + name), "earlier " + name);
        }
    }
}

TEST(Backups, EachBackupHoldsTheFileAsItWasAtItsCall) {
    SmallInstall install(kIni);
    TestSeam seam;
    seam.setLocalTime(testing::kFixedTime);
    ASSERT_TRUE(BackupGameConfig(install.state).ok);
    testing::writeBytes(install.ini, "changed\r\n");
    ASSERT_TRUE(BackupGameConfig(install.state).ok);
    EXPECT_EQ(install.backups(), (std::vector<QByteArray>{kIni, "changed\r\n"}));
    EXPECT_EQ(install.state.LastBackup, install.system + '/' + SmallInstall::backupName(2));
}

TEST(Backups, AFailedCopyLeavesNoBackupAndLastBackupAlone) {
    struct Case {
        const char* name;
        std::optional<Operation> fail;  // nothing: the ini itself is missing
    };
    for (const Case& c : std::vector<Case>{{"ini missing", std::nullopt},
                                           {"copy fails", Operation::Copy},
                                           {"write fails", Operation::Write},
                                           {"rename fails", Operation::Rename}}) {
        SCOPED_TRACE(c.name);
        SmallInstall install(kIni);
        std::vector<QByteArray> before{"UnrealTournament.ini"};
        if (!c.fail) {
            ::remove(install.ini.constData());
            before.clear();
        }
        install.state.LastBackup = "before";
        TestSeam seam;
        seam.setLocalTime(testing::kFixedTime);
        if (c.fail) {
            seam.failAll(*c.fail);
        }
        EXPECT_FALSE(BackupGameConfig(install.state).ok);
        EXPECT_EQ(install.state.LastBackup, "before");
        EXPECT_EQ(testing::folderNames(install.system), before);
    }
}

const Message kNothingToDo{QStringLiteral("No backups to delete."), QStringLiteral("Nothing to do"),
                           MessageButtons::Ok, MessageAnswer::Ok, MessageIcon::None};
const Message kContinue{
    QStringLiteral("Are you sure you want to delete the backups of your UnrealTournament.ini "
                   "file?"),
    QStringLiteral("Continue?"), MessageButtons::YesNo, MessageAnswer::Yes, MessageIcon::None};

struct DeleteCase {
    const char* name;
    std::vector<QByteArray> files;
    std::vector<MessageAnswer> answers;
    std::vector<Message> expectedMessages;
    std::vector<QByteArray> expectedLeft;  // besides UnrealTournament.ini
};

TEST(Backups, DeleteBackups) {
    const std::vector<QByteArray> others{"MyRendix_UnrealTournament1.ini",
                                         "Rendix_UnrealTournament1.txt", "Rendix.txt"};
    const std::vector<QByteArray> backups{
        "RENDIX_UNREALTOURNAMENT5.INI", "Rendix_UnrealTournament.ini",
        "Rendix_UnrealTournament1242357.ini", "Rendix_UnrealTournament1242357_2.ini",
        "rendix_unrealtournament11000.ini"};
    std::vector<QByteArray> all = others;
    all.insert(all.end(), backups.begin(), backups.end());
    const std::vector<DeleteCase> cases{
        {"no backups", others, {}, {kNothingToDo}, others},
        {"answer No", all, {MessageAnswer::No}, {kContinue}, all},
        {"answer Yes", all, {MessageAnswer::Yes}, {kContinue}, others},
        {"default is Yes", all, {}, {kContinue}, others},
    };
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        SmallInstall install(kIni);
        for (const QByteArray& name : c.files) {
            install.addSystemFile(name, name);
        }
        ScriptedMessages messages;
        messages.answers.assign(c.answers.begin(), c.answers.end());
        DeleteBackups(install.state, messages);
        EXPECT_EQ(messages.shown, c.expectedMessages);
        std::vector<QByteArray> left = c.expectedLeft;
        left.push_back("UnrealTournament.ini");
        std::sort(left.begin(), left.end());
        EXPECT_EQ(testing::folderNames(install.system), left);
        EXPECT_EQ(messages.busyChanges, (std::vector<bool>{true, false}));
        EXPECT_TRUE(messages.statusHistory.empty());
    }
}

}  // namespace
}  // namespace rendix
