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

// Where the program folder cannot be written, the settings file lives in the per-user
// folder: a copy of the program folder's one at first, never overwritten by it later.
TEST(Settings, UserFolderWhenTheProgramFolderCannotBeWritten) {
    const QByteArray program = "[Main]\r\nUTDir=/ut\r\n";
    for (const QByteArray user : {"", "[Main]\n"}) {  // "": no file there yet
        TempDir temp;
        writeBytes(temp.file("lib/Rendix.ini"), program);
        if (!user.isEmpty())
            writeBytes(temp.file("home/Rendix.ini"), user);
        EXPECT_EQ(settingsFolderFor(temp.file("lib"), false, temp.file("home")), temp.file("home"));
        EXPECT_EQ(readBytes(temp.file("home/Rendix.ini")), user.isEmpty() ? program : user);
    }
}

}  // namespace
}  // namespace rendix::testing
