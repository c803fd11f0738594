#include <gtest/gtest.h>

#include <map>

#include "app/Settings.h"
#include "platform/DataTable.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace rendix::testing {
namespace {

// The settings file lives in the program folder while that can be written, otherwise in the
// per-user folder: a copy of the program folder's one at first, never overwritten by it
// later. A run that only reads makes nothing and reads the program folder's file instead.
TEST(Settings, FolderOfTheSettingsFile) {
    const std::map<QByteArray, QByteArray> files{
        {"", ""}, {"program", "[Main]\r\nUTDir=/ut\r\n"}, {"user", "[Main]\n"}};
    for (const QList<QByteArray>& row : dataTable("settings-folder.rows")) {
        SCOPED_TRACE(row[0].constData());
        TempDir temp;
        writeBytes(temp.file("lib/Rendix.ini"), files.at("program"));
        if (!row[3].isEmpty())
            writeBytes(temp.file("home/Rendix.ini"), files.at(row[3]));
        const SettingsPlaces places{.programDir = temp.file("lib"),
                                    .programDirWritable = row[1] == "1",
                                    .userFolder = temp.file("home")};
        const SettingsAccess access =
            row[2] == "ro" ? SettingsAccess::ReadOnly : SettingsAccess::ReadWrite;
        EXPECT_EQ(chooseSettingsFolder(access, places), temp.file(row[4]));
        EXPECT_EQ(readBytes(temp.file("home/Rendix.ini")), files.at(row[5]));
        EXPECT_EQ(exists(temp.file("home")), !row[5].isEmpty());
        EXPECT_EQ(readBytes(temp.file("lib/Rendix.ini")), files.at("program"));
    }
}

// A command reads the file anew: what it holds counts; a missing one leaves the settings in
// memory; one that cannot be taken leaves them too, after a box, and the command stops.
TEST(Settings, RefreshBeforeACommand) {
    for (const QList<QByteArray>& row : dataTable("refresh.rows")) {
        SCOPED_TRACE(row[0].constData());
        TempDir temp;
        ModMain state;
        state.UTDir = "/old";
        state.settingsPath = temp.file("Rendix.ini");
        if (!row[1].isEmpty()) {
            writeBytes(state.settingsPath,
                       row[1] == "sound" ? defaultSettingsContent().replace("UTDir=", "UTDir=/new")
                                         : row[1]);
        }
        platform::FileLock other;
        ASSERT_TRUE(row[2] == "0" || other.acquire(state.settingsPath, 0));
        ScriptedMessages messages;
        EXPECT_EQ(refreshSettings(state, messages, 0), row[3] == "1");
        EXPECT_EQ(state.UTDir, row[4]);
        EXPECT_EQ(messages.shown.empty() ? QString() : messages.shown[0].title,
                  QString::fromUtf8(row.value(5)));
    }
}

}  // namespace
}  // namespace rendix::testing
