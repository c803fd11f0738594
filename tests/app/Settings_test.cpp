#include <gtest/gtest.h>

#include "app/Settings.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace rendix::testing {
namespace {

// The settings file lives in the program folder while that can be written, otherwise in the
// per-user folder: a copy of the program folder's one at first, never overwritten by it
// later. A run that only reads makes nothing and reads the program folder's file instead.
TEST(Settings, FolderOfTheSettingsFile) {
    const QByteArray program = "[Main]\r\nUTDir=/ut\r\n";
    const QByteArray user = "[Main]\n";
    struct Case {
        const char* name;
        bool programDirWritable;
        SettingsAccess access;
        QByteArray userFile;  // "": none yet
        const char* chosen;
        QByteArray userFileAfter;  // "": still none (and no folder made)
    };
    const Case cases[] = {
        {"WritableProgramFolder", true, SettingsAccess::ReadWrite, "", "lib", ""},
        {"FirstCopy", false, SettingsAccess::ReadWrite, "", "home", program},
        {"CopyKept", false, SettingsAccess::ReadWrite, user, "home", user},
        {"ReadOnlyBeforeTheCopy", false, SettingsAccess::ReadOnly, "", "lib", ""},
        {"ReadOnlyAfterTheCopy", false, SettingsAccess::ReadOnly, user, "home", user},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir temp;
        writeBytes(temp.file("lib/Rendix.ini"), program);
        if (!c.userFile.isEmpty())
            writeBytes(temp.file("home/Rendix.ini"), c.userFile);
        const SettingsPlaces places{.programDir = temp.file("lib"),
                                    .programDirWritable = c.programDirWritable,
                                    .userFolder = temp.file("home")};
        EXPECT_EQ(chooseSettingsFolder(c.access, places), temp.file(c.chosen));
        EXPECT_EQ(readBytes(temp.file("home/Rendix.ini")), c.userFileAfter);
        EXPECT_EQ(exists(temp.file("home")), !c.userFileAfter.isEmpty());
        EXPECT_EQ(readBytes(temp.file("lib/Rendix.ini")), program);
    }
}

// A command reads the file anew: what it holds counts; a missing one leaves the settings in
// memory; one that cannot be taken leaves them too, after a box, and the command stops.
TEST(Settings, RefreshBeforeACommand) {
    const QByteArray sound = defaultSettingsContent().replace("UTDir=", "UTDir=/new");
    struct Case {
        const char* name;
        QByteArray content;  // "": no file
        bool locked;         // another Rendix holds the lock
        bool goesOn;
        const char* utDir;
        const char* box;  // "": none
    };
    const Case cases[] = {
        {"Sound", sound, false, true, "/new", ""},
        {"Missing", "", false, true, "/old", ""},
        {"NotSound", "[Main]\r\nUTDir=/new\r\n", false, false, "/old", "Read failed"},
        {"Locked", sound, true, false, "/old", "Busy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir temp;
        ModMain state;
        state.UTDir = "/old";
        state.settingsPath = temp.file("Rendix.ini");
        if (!c.content.isEmpty()) {
            writeBytes(state.settingsPath, c.content);
        }
        platform::FileLock other;
        ASSERT_TRUE(!c.locked || other.acquire(state.settingsPath, 0));
        ScriptedMessages messages;
        EXPECT_EQ(refreshSettings(state, messages, 0), c.goesOn);
        EXPECT_EQ(state.UTDir, c.utDir);
        EXPECT_EQ(messages.shown.empty() ? QString() : messages.shown[0].title,
                  QLatin1String(c.box));
    }
}

}  // namespace
}  // namespace rendix::testing
