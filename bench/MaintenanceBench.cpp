#include <benchmark/benchmark.h>

#include <cstdlib>

#include "maintenance/Randomizer.h"
#include "maintenance/ServerPackages.h"
#include "platform/Files.h"
#include "platform/Paths.h"
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

// One backup copy, one read and one safe replace of the file, as each rewrite needs: with
// the bytes read, or with `result`, the bytes the command leaves.
bool backupAndRewrite(const BenchInstall& bench, int number, const QByteArray* result = nullptr) {
    const QByteArray copy =
        bench.install.system + "/Rendix_UnrealTournament" + QByteArray::number(number) + ".ini";
    const std::optional<QByteArray> bytes = platform::readFile(bench.install.ini);
    return platform::copyFileNew(bench.install.ini, copy) && bytes &&
           platform::replaceFile(bench.install.ini, result ? *result : *bytes);
}

// Per type the listing and backupAndRewrite; with `results` (the file before the first type
// and after each), from the start each time and writing what the command writes.
void randomizeFloor(benchmark::State& state, const BenchInstall& bench,
                    const std::vector<QByteArray>* results = nullptr) {
    for (auto _ : state) {
        bench.reset(state, results != nullptr);
        int number = 0;
        for (const GameType& type : kGameTypes) {
            const platform::Listing maps = platform::listFiles(bench.install.maps, type.mapPattern);
            benchmark::DoNotOptimize(maps);
            ++number;
            if (!backupAndRewrite(
                    bench, number,
                    results ? &(*results)[static_cast<std::size_t>(number)] : nullptr)) {
                state.SkipWithError("floor failed");
                return;
            }
        }
    }
    bench.cleanUp(results != nullptr);
}

void BM_RandomizeAllFour_Floor(benchmark::State& state) {
    randomizeFloor(state, mapsInstall());
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

// --- Lists of 4,096 slots (patch 469c and later) -------------------------------------

// The maps install with its file as after each of the four types, made once by the command
// itself, so that the floor writes exactly the bytes the command writes.
struct LongListStates {
    std::vector<QByteArray> files;  // before DM, after DM, after CTF, after DOM, after AS

    LongListStates() {
        const BenchInstall& bench = mapsInstall();
        bench.cleanUp(true);
        ModMain modMain = bench.modMain;
        modMain.MapsPerList = kMaxMapsPerList;
        testing::ScriptedMessages messages;
        files.push_back(bench.iniBytes);
        for (std::size_t t = 0; t < kGameTypes.size(); ++t) {
            std::array<bool, 4> ticked{};
            ticked[t] = true;
            RandomizeCommand(modMain, messages, ticked);
            files.push_back(testing::readBytes(bench.install.ini));
        }
        bench.cleanUp(true);
    }
};

const LongListStates& longListStates() {
    static const LongListStates states;
    return states;
}

void BM_RandomizeAllFour4096_Floor(benchmark::State& state) {
    randomizeFloor(state, mapsInstall(), &longListStates().files);
}
BENCHMARK(BM_RandomizeAllFour4096_Floor)->Unit(benchmark::kMillisecond);

// Randomizes the ticked types of `bench`, its file put back before each run.
void randomizeFromTheStart(benchmark::State& state, const BenchInstall& bench,
                           const ModMain& settings, const std::array<bool, 4>& ticked) {
    ModMain modMain = settings;
    testing::ScriptedMessages messages;
    for (auto _ : state) {
        bench.reset(state, true);
        RandomizeCommand(modMain, messages, ticked);
    }
    bench.cleanUp(true);
    if (!messages.shown.empty() || !(messages.statusText.endsWith(QStringLiteral(" list.")) ||
                                     messages.statusText.endsWith(QStringLiteral(" lists.")))) {
        state.SkipWithError(qPrintable(messages.statusText));
    }
}

void BM_RandomizeAllFour4096(benchmark::State& state) {
    const BenchInstall& bench = mapsInstall();
    longListStates();
    ModMain modMain = bench.modMain;
    modMain.MapsPerList = kMaxMapsPerList;
    randomizeFromTheStart(state, bench, modMain, {true, true, true, true});
    state.SetLabel("floor: BM_RandomizeAllFour4096_Floor");
}
BENCHMARK(BM_RandomizeAllFour4096)->Unit(benchmark::kMillisecond);

// --- Many exclusions ------------------------------------------------------------------

// 30,000 DM maps; the exclusion lists hold 20,000 names, half of them maps that exist.
constexpr int kManyMaps = 30000;
constexpr int kManyExclusions = 20000;

QByteArray manyMapName(int number) {
    return "DM-Many" + QByteArray::number(number).rightJustified(5, '0') + ".unr";
}

const BenchInstall& manyMapsInstall() {
    static const BenchInstall install([] {
        testing::GameInstallOptions options;
        options.stockMaps = false;
        return options;
    }());
    static const bool filled = [] {
        for (int number = 0; number < kManyMaps; ++number) {
            testing::writeBytes(install.install.maps + '/' + manyMapName(number), {});
        }
        return true;
    }();
    (void)filled;
    return install;
}

ExclusionList manyExclusions() {
    ExclusionList excludes;
    for (int number = 0; number < kManyExclusions; ++number) {
        // Every other one names a map that exists, the rest maps long gone.
        excludes.push_back(number % 2 ? manyMapName(number) : "DM-Gone" + manyMapName(number));
    }
    return excludes;
}

void randomizeMany(benchmark::State& state, const ExclusionList& excludes) {
    const BenchInstall& bench = manyMapsInstall();
    ModMain modMain = bench.modMain;
    modMain.DMExcludes = excludes;
    randomizeFromTheStart(state, bench, modMain, {true, false, false, false});
}

void BM_RandomizeDM_NoExclusions(benchmark::State& state) {
    randomizeMany(state, {});
}
BENCHMARK(BM_RandomizeDM_NoExclusions)->Unit(benchmark::kMillisecond);

void BM_RandomizeDM_20000Exclusions(benchmark::State& state) {
    randomizeMany(state, manyExclusions());
    state.SetLabel("floor: BM_RandomizeDM_NoExclusions");
}
BENCHMARK(BM_RandomizeDM_20000Exclusions)->Unit(benchmark::kMillisecond);

}  // namespace
