#include <benchmark/benchmark.h>

#include <cstdlib>

#include "Floor.h"
#include "maintenance/Randomizer.h"
#include "platform/Files.h"
#include "support/GameInstall.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

// Randomizing a map folder of 20,000 maps in 200 families, with 100 patterns and 5,000 plain
// exclusions, against the same run without exclusions.
namespace {

using namespace rendix;

constexpr int kMaps = 20000;
constexpr int kFamilies = 200;
constexpr int kPatterns = 100;
constexpr int kPlainExclusions = 5000;

QByteArray mapName(int number) {
    return "DM-F" + QByteArray::number(number % kFamilies).rightJustified(3, '0') + '-' +
           QByteArray::number(number).rightJustified(5, '0') + ".unr";
}

struct FamiliesInstall {
    testing::TempDir dir;
    testing::GameInstall install =
        testing::makeGameInstall(dir.file("UT"), {.stockMaps = false, .targetIniBytes = 200000});
    QByteArray iniBytes = testing::readBytes(install.ini);

    FamiliesInstall() {
        for (int number = 0; number < kMaps; ++number) {
            testing::writeBytes(install.maps + '/' + mapName(number), {});
        }
    }
};

// Most patterns name a family by its beginning, as "CTF-BT-*" does; a few start with a
// wildcard, which every map must be matched against. Half the plain names are maps long gone.
ExclusionList familyExclusions() {
    ExclusionList excludes;
    for (int p = 0; p < kPatterns; ++p) {
        excludes.push_back(p % 10 == 9 ? "*-Gone" + QByteArray::number(p) + "-*"
                                       : "DM-F" + QByteArray::number(100 + p) + "-*");
    }
    for (int n = 0; n < kPlainExclusions; ++n) {
        excludes.push_back(n % 2 ? mapName(n * 2) : "DM-Gone-" + mapName(n));
    }
    return excludes;
}

void BM_RandomizeDM_100Patterns5000Names(benchmark::State& state) {
    static const FamiliesInstall families;
    ModMain plain;
    plain.UTDir = families.install.root;
    ModMain excluding = plain;
    excluding.DMExcludes = familyExclusions();
    testing::ScriptedMessages messages;
    const auto randomize = [&](ModMain& settings) {
        RandomizeCommand(settings, messages, {true, false, false, false});
        return messages.shown.empty();
    };
    bench::timeAgainstFloor(
        state, "the same run without exclusions",
        [&] {
            testing::writeBytes(families.install.ini, families.iniBytes);
            if (!platform::removeMatching(families.install.system,
                                          "Rendix_UnrealTournament*.ini")) {
                std::abort();
            }
        },
        [&] { return randomize(plain); }, [&] { return randomize(excluding); });
    if (!messages.statusText.startsWith(QStringLiteral("Found "))) {
        state.SkipWithError(qPrintable(messages.statusText));
    }
}
BENCHMARK(BM_RandomizeDM_100Patterns5000Names)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
