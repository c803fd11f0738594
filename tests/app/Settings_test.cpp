#include <gtest/gtest.h>

#include "app/Settings.h"
#include "support/TestFiles.h"

namespace rendix::testing {
namespace {

TEST(Settings, DefaultFileReplacesAnyContent) {
    TempDir temp;
    writeBytes(temp.file("Rendix.ini"), "[Main]\nUTDir=/old\n" + QByteArray(300, 'x'));
    ASSERT_TRUE(WriteDefaultSettings(temp.file("Rendix.ini")).ok);
    EXPECT_EQ(readBytes(temp.file("Rendix.ini")), RENDIX_DATA("default.ini"));
}

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

}  // namespace
}  // namespace rendix::testing
