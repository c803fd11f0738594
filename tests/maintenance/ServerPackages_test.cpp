#include "maintenance/ServerPackages.h"
#include "maintenance/MaintenanceFixture.h"

namespace rendix {
namespace {

using namespace testing;

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
            EXPECT_EQ(install.messages.statusText, QString::fromUtf8(row[2]));
            std::vector<QByteArray> backups;
            for (const QByteArray& part : words(row[3])) {
                backups.push_back(file(part));
            }
            EXPECT_EQ(install.backups(), backups);
            EXPECT_EQ(install.shown(), row.value(4));
            EXPECT_TRUE(readBytes(install.system + "/Rendix.txt").isEmpty() &&
                        folderNames(install.system).size() == files + backups.size());
        }
    }
}

// A failed first backup or removal changes nothing; a failed second backup or addition
// keeps the removal, and its status text alone.
TEST(ServerPackages, AFailureKeepsTheRemovalOrNothing) {
    failSteps("sp-steps", "System", "Botpack.int New.int", ServerPackagesCommand);
}

}  // namespace
}  // namespace rendix
