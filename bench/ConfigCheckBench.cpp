#include <benchmark/benchmark.h>

#include "Floor.h"
#include "app/Install.h"
#include "maintenance/ConfigCheck.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/GameInstall.h"
#include "support/TestFiles.h"

// The check on a large install, against the file work it cannot avoid, done with the same
// platform calls: one read of the configuration file and one listing of each folder it reads.
namespace {

using namespace rendix;

struct CheckInstall {
    testing::TempDir dir;
    testing::GameInstall install;
    std::vector<QByteArray> folders;

    CheckInstall()
        : install(testing::makeGameInstall(dir.file("UT"), {.extraMapsPerType = 5000,
                                                            .customInts = 2000,
                                                            .entriesWithoutInt = 0,
                                                            .targetIniBytes = 200000})) {
        const Install located = Install::locate(install.root, {});
        const auto add = [&](const QByteArray& folder) {
            if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
                folders.push_back(folder);
            }
        };
        for (const SearchFolder& folder : located.packageFolders()) {
            add(folder.folder);
        }
        for (const SearchFolder& folder : located.mapFolders()) {
            add(folder.folder);
        }
        for (const QByteArray& folder : located.programFolders()) {
            add(folder);
        }
        add(located.localizedIntFolder());
        add(located.configFolder());
    }
};

// 4 x 5,000 maps, 2,000 mod packages, 1,000 ServerPackages entries: no finding.
void BM_CheckConfiguration(benchmark::State& state) {
    static const CheckInstall bench;
    bench::timeAgainstFloor(
        state, "one read of the configuration file, one listing of each folder", [] {},
        [&] {
            bool listed = platform::readFile(bench.install.ini).has_value();
            for (const QByteArray& folder : bench.folders) {
                const platform::Listing listing = platform::listFiles(folder, "*");
                benchmark::DoNotOptimize(listing);
                listed = listed && listing.ok;
            }
            return listed;
        },
        [&] {
            const ConfigCheck check = CheckConfiguration(Install::locate(bench.install.root, {}));
            return !check.failure && check.findings.empty();
        });
}
BENCHMARK(BM_CheckConfiguration)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
