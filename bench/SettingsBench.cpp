#include <benchmark/benchmark.h>

#include <cstdlib>

#include "Floor.h"
#include "app/ExclusionEditor.h"
#include "app/Startup.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

// The settings file with long exclusion lists: Apply in the exclusion editor against one
// read and one safe replace of the file, and the start-up against one read of the file.
namespace {

using namespace rendix;

constexpr int kEntries = 5000;

// A settings file whose four lists hold `entries` map names each.
QByteArray settingsWith(const QByteArray& utDir, int entries) {
    QByteArray content = "[Main]\r\nUTDir=" + utDir + "\r\n\r\n";
    for (const GameType& type : kGameTypes) {
        content += '[' + QByteArray(type.exclusionSection) + "]\r\n";
        for (int i = 0; i < entries; ++i) {
            content += exclusionKey(type, i) + '=' + type.code + "-Extra" + QByteArray::number(i) +
                       ".unr\r\n";
        }
        content += "\r\n";
    }
    return content;
}

struct BenchSettings {
    testing::TempDir dir;
    ModMain modMain;
    QByteArray path;
    QByteArray content;

    BenchSettings() : path(dir.file("program/Rendix.ini")) {
        modMain.UTDir = dir.file("UT");
        modMain.settingsPath = path;
        testing::writeBytes(dir.file("UT/System/UnrealTournament.ini"), "[Core.System]\r\n");
        for (const GameType& type : kGameTypes) {
            ExclusionList& list = modMain.*type.excludes;
            for (int i = 0; i < kEntries; ++i) {
                list.push_back(type.code + ("-Extra" + QByteArray::number(i)) + ".unr");
                if (type.code == QByteArrayView("DM")) {
                    testing::writeBytes(dir.file("UT/Maps/" + list.back()), {});
                }
            }
        }
        content = settingsWith(modMain.UTDir, kEntries);
        testing::writeBytes(path, content);
    }
};

BenchSettings& benchSettings() {
    static BenchSettings settings;
    return settings;
}

// Apply with 5,000 DM exclusions over a file that differs in one of them, against the work
// it cannot avoid: reading the old file and replacing it with the new bytes.
void BM_Apply5000Exclusions(benchmark::State& state) {
    BenchSettings& bench = benchSettings();
    testing::ScriptedMessages messages;
    ExclusionEditor editor(bench.modMain, messages);
    editor.fill(0);
    if (editor.excludedLines().size() != kEntries) {
        state.SkipWithError("the maps are missing");
        return;
    }
    // The new bytes: the section rewritten at the end of the file, as the single writes put it.
    QByteArray old = bench.content;
    old.replace("DM-Extra4999.unr", "DM-Gone.unr");
    testing::writeBytes(bench.path, old);
    if (!editor.apply()) {
        state.SkipWithError("Apply failed");
        return;
    }
    const QByteArray renewed = testing::readBytes(bench.path);
    bench::timeAgainstFloor(
        state, "one read and one replace of the file",
        [&] { testing::writeBytes(bench.path, old); },
        [&] {
            const std::optional<QByteArray> bytes = platform::readFile(bench.path);
            return bytes && platform::replaceFile(bench.path, renewed);
        },
        [&] { return editor.apply().ok && messages.shown.empty(); });
    if (testing::readBytes(bench.path) != renewed) {
        state.SkipWithError("Apply wrote other bytes");
    }
}
BENCHMARK(BM_Apply5000Exclusions)->UseManualTime()->Unit(benchmark::kMillisecond);

// The start-up with four lists of 5,000 exclusions, against one read of the file, and
// against reading it line by line (as the original routines read a file: one string per
// line, so that building the 20,000 entries is part of the floor too).
void startupAgainst(benchmark::State& state, bool splitLines) {
    BenchSettings& bench = benchSettings();
    testing::writeBytes(bench.path, bench.content);
    testing::ScriptedMessages messages;
    ModMain modMain;
    platform::TextFile lines;
    // What the run before built is dropped untimed: at a real start the lists are empty.
    bench::timeAgainstFloor(
        state, splitLines ? "one read of the file, split into lines" : "one read of the file",
        [&] {
            modMain = ModMain();
            lines = platform::TextFile();
        },
        [&] {
            const std::optional<QByteArray> bytes = platform::readFile(bench.path);
            if (bytes && splitLines) {
                lines = platform::splitLines(*bytes);
            }
            return bytes.has_value();
        },
        [&] {
            const StartupEnding ending =
                StartupSequence(modMain, messages, bench.dir.file("program"));
            return ending == StartupEnding::Passed && modMain.ASExcludes.size() == kEntries;
        });
}

void BM_Startup4x5000Exclusions(benchmark::State& state) {
    startupAgainst(state, false);
}
BENCHMARK(BM_Startup4x5000Exclusions)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Startup4x5000Exclusions_Lines(benchmark::State& state) {
    startupAgainst(state, true);
}
BENCHMARK(BM_Startup4x5000Exclusions_Lines)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
