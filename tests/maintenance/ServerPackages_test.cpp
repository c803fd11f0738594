#include "maintenance/ServerPackages.h"
#include "maintenance/MaintenanceFixture.h"

namespace rendix::testing {

// In CR LF and LF files. A user's own Rendix.txt and RendixAdd.txt stay; no such file appears.
TEST(ServerPackages, UpdateServerPackages) {
    for (const QList<QByteArray>& row : rows("serverpackages")) {
        for (const bool lf : {false, true}) {
            SCOPED_TRACE((row[0] + (lf ? " LF" : "")).constData());
            const auto file = [&](const QByteArray& part) { return data(row[0] + '.' + part, lf); };
            SmallInstall install(file("in"), "System",
                                 row[1] + (lf ? "" : " Rendix.txt RendixAdd.txt"));
            const std::size_t files = folderNames(install.system).size();
            install.run(ServerPackagesCommand);
            EXPECT_EQ(readBytes(install.ini), file("out"));
            EXPECT_EQ(install.messages.statusText.toUtf8() + '|' + install.shown(),
                      row[2] + '|' + row.value(4));
            const QList<QByteArray> parts =
                row[3].isEmpty() ? QList<QByteArray>() : row[3].split(' ');
            std::vector<QByteArray> backups(static_cast<std::size_t>(parts.size()));
            std::transform(parts.begin(), parts.end(), backups.begin(), file);
            EXPECT_EQ(install.backups(), backups);
            EXPECT_TRUE(readBytes(install.system + "/Rendix.txt").isEmpty() &&
                        folderNames(install.system).size() == files + backups.size());
        }
    }
}

// A failure before the first rewrite changes nothing; after it, only the removal stays.
TEST(ServerPackages, AFailureKeepsTheRemovalOrNothing) {
    failSteps("sp-steps", "System", ServerPackagesCommand);
}

}  // namespace rendix::testing
