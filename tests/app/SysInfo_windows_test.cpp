#include <gtest/gtest.h>

#include <QFile>

#include "app/SysInfo.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/SystemRegistry.h"
#include "support/TestFiles.h"

namespace rendix {
namespace {

// The values the system information program's installer leaves in the system's registry, put
// there with reg.exe: About > System Info starts the program they name.
TEST(StartSysInfo, StartsTheProgramTheSystemRegistryNames) {
    testing::TempDir temp;
    testing::writeBytes(temp.file("with/MSINFO32.EXE"), "MZ");
    const QString path = QStringLiteral("C:\\Program Files\\Common Files\\msinfo32.exe");
    const struct {
        const char* key;
        const char* name;
        QString value;
        QByteArray started;
    } rows[] = {
        {"MSINFO", "PATH", path, path.toUtf8()},
        {" Location", "MSINFO", QString::fromUtf8(temp.file("with")),
         temp.file("with/MSINFO32.EXE")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        testing::RegistryValue value(QStringLiteral("HKLM\\SOFTWARE\\Microsoft\\Shared Tools") +
                                         (*row.key == ' ' ? QString() : QStringLiteral("\\")) +
                                         QLatin1String(row.key),
                                     QLatin1String(row.name));
        if (value.existed()) {
            GTEST_SKIP() << "this Windows has the value already; the test changes no registry "
                            "value it did not set itself";
        }
        ASSERT_TRUE(value.set(row.value));
        platform::TestSeam seam;
        seam.useSystemRegistry();
        testing::ScriptedMessages messages;
        StartSysInfo(messages);
        EXPECT_EQ(seam.startedPrograms(), std::vector<QByteArray>{row.started});
        EXPECT_TRUE(messages.shown.empty());
    }
}

}  // namespace
}  // namespace rendix
