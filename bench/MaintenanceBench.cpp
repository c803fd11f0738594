#include <benchmark/benchmark.h>

#include <cstdlib>

#include "maintenance/Randomizer.h"
#include "maintenance/ServerPackages.h"
#include "platform/FileSystem.h"
#include "support/GameInstall.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

// The maintenance commands on a large install, each measured against the file work it
// cannot avoid, done with the same platform calls: the folder listings, and per rewrite of
// UnrealTournament.ini one backup copy, one read and one safe replace.
namespace {

using namespace rendix;

constexpr QByteArrayView kBackups("rendix_unrealtournament*.ini");

struct BenchInstall {
    testing::TempDir dir;
    testing::GameInstall install;
    QByteArray iniBytes;
    ModMain modMain;

    explicit BenchInstall(const testing::GameInstallOptions& options)
        : install(testing::makeGameInstall(dir.file("UT"), options)),
          iniBytes(testing::readBytes(install.ini)) {
        modMain.UTDir = install.root;
    }

    // Backups pile up over the iterations and would slow every later name probe; they go,
    // and the file is put back, between iterations and outside the timing.
    void cleanUp(bool restoreIni) const {
        if (!platform::removeMatching(install.system, kBackups)) {
            std::abort();
        }
        if (restoreIni) {
            testing::writeBytes(install.ini, iniBytes);
        }
    }
    void reset(benchmark::State& state, bool restoreIni) const {
        state.PauseTiming();
        cleanUp(restoreIni);
        state.ResumeTiming();
    }
};

const BenchInstall& mapsInstall() {
    static const BenchInstall install([] {
        testing::GameInstallOptions options;
        options.extraMapsPerType = 5000;
        options.targetIniBytes = 200000;
        return options;
    }());
    return install;
}

const BenchInstall& packagesInstall() {
    static const BenchInstall install([] {
        testing::GameInstallOptions options;
        options.customInts = 2000;  // half of them, 1,000, have an entry
        options.entriesWithoutInt = 10;
        options.targetIniBytes = 200000;
        return options;
    }());
    return install;
}

// One backup copy, one read and one safe replace of the file, as each rewrite needs.
bool backupAndRewrite(const BenchInstall& bench, int number) {
    const QByteArray copy =
        bench.install.system + "/Rendix_UnrealTournament" + QByteArray::number(number) + ".ini";
    const std::optional<QByteArray> bytes = platform::readFile(bench.install.ini);
    return platform::copyFileNew(bench.install.ini, copy) && bytes &&
           platform::replaceFile(bench.install.ini, *bytes);
}

void BM_RandomizeAllFour_Floor(benchmark::State& state) {
    const BenchInstall& bench = mapsInstall();
    for (auto _ : state) {
        bench.reset(state, false);
        int number = 0;
        for (const GameType& type : kGameTypes) {
            const platform::Listing maps = platform::listFiles(bench.install.maps, type.mapPattern);
            benchmark::DoNotOptimize(maps);
            if (!backupAndRewrite(bench, ++number)) {
                state.SkipWithError("floor failed");
                return;
            }
        }
    }
}
BENCHMARK(BM_RandomizeAllFour_Floor)->Unit(benchmark::kMillisecond);

void BM_RandomizeAllFour(benchmark::State& state) {
    const BenchInstall& bench = mapsInstall();
    ModMain modMain = bench.modMain;
    testing::ScriptedMessages messages;
    for (auto _ : state) {
        bench.reset(state, false);
        RandomizeCommand(modMain, messages, {true, true, true, true});
    }
    if (messages.statusText != QStringLiteral("Randomized all map lists.") ||
        !messages.shown.empty()) {
        state.SkipWithError("the command failed");
    }
    state.SetLabel("floor: BM_RandomizeAllFour_Floor");
}
BENCHMARK(BM_RandomizeAllFour)->Unit(benchmark::kMillisecond);

void BM_ServerPackages_Floor(benchmark::State& state) {
    const BenchInstall& bench = packagesInstall();
    for (auto _ : state) {
        bench.reset(state, true);
        const platform::Listing ints = platform::listFiles(bench.install.system, "*.int");
        benchmark::DoNotOptimize(ints);
        if (!backupAndRewrite(bench, 1) || !backupAndRewrite(bench, 2)) {
            state.SkipWithError("floor failed");
            return;
        }
    }
}
BENCHMARK(BM_ServerPackages_Floor)->Unit(benchmark::kMillisecond);

void BM_ServerPackages(benchmark::State& state) {
    const BenchInstall& bench = packagesInstall();
    ModMain modMain = bench.modMain;
    testing::ScriptedMessages messages;
    for (auto _ : state) {
        bench.reset(state, true);
        UpdateServerPackages(modMain, messages);
    }
    bench.cleanUp(true);
    if (!messages.statusText.startsWith(QStringLiteral("Removed 10 ")) ||
        !messages.statusText.endsWith(QStringLiteral(" Added 1000 serverpackages entries."))) {
        state.SkipWithError(qPrintable(messages.statusText));
    }
    state.SetLabel("floor: BM_ServerPackages_Floor");
}
BENCHMARK(BM_ServerPackages)->Unit(benchmark::kMillisecond);

}  // namespace
