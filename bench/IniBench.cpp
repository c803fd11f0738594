#include <benchmark/benchmark.h>

#include <cstdlib>

#include "Floor.h"
#include "ini/IniHandler.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/GameInstall.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

// The INI routines on a large UnrealTournament.ini (about 200 KB), each measured against the
// file work it cannot avoid: a read against one readFile, a write against one readFile plus
// one replaceFile of the same bytes.
namespace {

using namespace rendix;

struct BenchFile {
    testing::TempDir dir;
    QByteArray path;
    QByteArray bytes;
    QByteArray lastSection;  // the name of the file's last section
    QByteArray lastKey;      // the name of the last key of that section

    BenchFile() : path(dir.file("UnrealTournament.ini")) {
        testing::GameInstallOptions options;
        options.targetIniBytes = 200000;
        bytes = testing::unrealTournamentIni(options);
        testing::writeBytes(path, bytes);
        for (const platform::Line& line : platform::splitLines(bytes).lines) {
            if (IsSectionLine(line.text)) {
                lastSection = line.text.mid(1, line.text.size() - 2);
                lastKey.clear();
            } else if (const qsizetype equals = line.text.indexOf('='); equals > 0) {
                lastKey = line.text.left(equals);
            }
        }
        if (lastSection.isEmpty() || lastKey.isEmpty()) {
            std::abort();
        }
    }

    // Puts the original bytes back, so each benchmark starts from the same file.
    void restore() const { testing::writeBytes(path, bytes); }
};

const BenchFile& benchFile() {
    static const BenchFile file;
    return file;
}

bool readFloor(const BenchFile& file) {
    const std::optional<QByteArray> bytes = platform::readFile(file.path);
    benchmark::DoNotOptimize(bytes);
    return bytes.has_value();
}

bool rewriteFloor(const BenchFile& file) {
    const std::optional<QByteArray> bytes = platform::readFile(file.path);
    return bytes && platform::replaceFile(file.path, *bytes);
}

void BM_ReadFile(benchmark::State& state) {
    const BenchFile& file = benchFile();
    file.restore();
    for (auto _ : state) {
        readFloor(file);
    }
    state.SetBytesProcessed(state.iterations() * file.bytes.size());
}
BENCHMARK(BM_ReadFile);

void BM_ReadFileReplaceFile(benchmark::State& state) {
    const BenchFile& file = benchFile();
    file.restore();
    for (auto _ : state) {
        if (!rewriteFloor(file)) {
            state.SkipWithError("rewrite failed");
            break;
        }
    }
}
BENCHMARK(BM_ReadFileReplaceFile);

void BM_ReadKeyValue_LastSection(benchmark::State& state) {
    const BenchFile& file = benchFile();
    file.restore();
    testing::ScriptedMessages messages;
    bench::timeAgainstFloor(
        state, "one readFile", [] {}, [&] { return readFloor(file); },
        [&] {
            return !ReadKeyValue(messages, file.path, file.lastSection, file.lastKey).isEmpty();
        });
}
BENCHMARK(BM_ReadKeyValue_LastSection)->UseManualTime();

void BM_ReadKeyValue_MissingKey(benchmark::State& state) {
    const BenchFile& file = benchFile();
    file.restore();
    testing::ScriptedMessages messages;
    bench::timeAgainstFloor(
        state, "one readFile", [] {}, [&] { return readFloor(file); },
        [&] {
            return ReadKeyValue(messages, file.path, file.lastSection, "NoSuchKey").isEmpty() &&
                   messages.shown.empty();
        });
}
BENCHMARK(BM_ReadKeyValue_MissingKey)->UseManualTime();

void BM_WriteKeyValue_LastSection(benchmark::State& state) {
    const BenchFile& file = benchFile();
    file.restore();
    // A value that differs each time, so that every call really rewrites the file.
    qint64 round = 0;
    bench::timeAgainstFloor(
        state, "one readFile and one replaceFile", [] {}, [&] { return rewriteFloor(file); },
        [&] {
            return WriteKeyValue(file.path, file.lastSection, file.lastKey,
                                 QByteArray::number(++round))
                .ok;
        });
}
BENCHMARK(BM_WriteKeyValue_LastSection)->UseManualTime();

void BM_WriteKeyValue_MissingKey(benchmark::State& state) {
    const BenchFile& file = benchFile();
    // Each call adds the key to a file that lacks it; putting the file back is not timed.
    bench::timeAgainstFloor(
        state, "one readFile and one replaceFile", [&] { file.restore(); },
        [&] { return rewriteFloor(file); },
        [&] { return WriteKeyValue(file.path, file.lastSection, "NoSuchKey", "1").ok; });
}
BENCHMARK(BM_WriteKeyValue_MissingKey)->UseManualTime();

// Splitting the whole file into lines, as the text scans and the ServerPackages command do.
void BM_SplitLines(benchmark::State& state) {
    const BenchFile& file = benchFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::splitLines(file.bytes));
    }
    state.SetBytesProcessed(state.iterations() * file.bytes.size());
}
BENCHMARK(BM_SplitLines);

}  // namespace
