#include <benchmark/benchmark.h>

#include <cstdlib>

#include "Floor.h"
#include "app/InstallSearch.h"
#include "platform/Seam.h"
#include "support/TestFiles.h"

// The search for installs never walks the home folder: in a home of 100,000 unrelated files
// it takes as long as in a home that holds nothing but the launchers' own files.
namespace {

using namespace rendix;

constexpr int kUnrelatedFiles = 100000;

// A game install: the one file that makes it one.
void writeGame(const QByteArray& dir) {
    testing::writeBytes(dir + "/System/UnrealTournament.ini", "[Engine.Engine]\r\n");
}

// What every launcher writes in `home`, pointing to installs on the disk `disk`.
void writeLaunchers(const QByteArray& home, const QByteArray& disk) {
    writeGame(home + "/.local/share/OldUnreal/UnrealTournament");
    testing::writeBytes(home + "/.local/share/applications/ut.desktop",
                        "[Desktop Entry]\nExec=\"" + disk + "/UT469/System/ut-bin-amd64\"\n");
    writeGame(disk + "/UT469");
    testing::writeBytes(home + "/.local/share/Steam/steamapps/libraryfolders.vdf",
                        "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + home +
                            "/.local/share/Steam\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + disk +
                            "/Steam\"\n\t}\n}\n");
    writeGame(disk + "/Steam/steamapps/common/Unreal Tournament");
    testing::writeBytes(home + "/.config/heroic/gog_store/installed.json",
                        "{\"installed\": [{\"install_path\": \"" + disk + "/Heroic/UT\"}]}");
    writeGame(disk + "/Heroic/UT");
    testing::writeBytes(home + "/.local/share/lutris/games/ut.yml",
                        "game:\n  exe: " + disk + "/Lutris/System/UnrealTournament.exe\n");
    writeGame(disk + "/Lutris");
    writeGame(home + "/.wine/drive_c/GOG Games/Unreal Tournament GOTY");
    testing::writeBytes(home + "/serverfiles/System64/ut99server.ini", "[Engine.Engine]\r\n");
    testing::writeBytes(home + "/ut99server", "#!/bin/bash\n");
}

struct Homes {
    testing::TempDir dir;
    QByteArray empty = dir.file("empty");
    QByteArray full = dir.file("full");

    Homes() {
        writeLaunchers(empty, dir.file("disk"));
        writeLaunchers(full, dir.file("disk"));
        for (int i = 0; i < kUnrelatedFiles; ++i) {
            testing::writeBytes(full + "/Photo " + QByteArray::number(i) + ".jpg", {});
        }
    }
};

void BM_FindInstalls_HomeOf100000Files(benchmark::State& state) {
    static const Homes homes;
    platform::TestSeam seam;
    const auto searchIn = [&](const QByteArray& home) {
        seam.setHomeFolder(home);
        const std::vector<FoundInstall> found = findInstalls({});
        benchmark::DoNotOptimize(found);
        return found.size() == 7;
    };
    bench::timeAgainstFloor(
        state, "the same search in a home of the launchers' files alone", [] {},
        [&] { return searchIn(homes.empty); }, [&] { return searchIn(homes.full); });
}
BENCHMARK(BM_FindInstalls_HomeOf100000Files)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
