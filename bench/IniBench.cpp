#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ini/IniHandler.h"
#include "platform/FileSystem.h"
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

void BM_ReadFile(benchmark::State& state) {
    const BenchFile& file = benchFile();
    file.restore();
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::readFile(file.path));
    }
    state.SetBytesProcessed(state.iterations() * file.bytes.size());
}
BENCHMARK(BM_ReadFile);

void BM_ReadFileReplaceFile(benchmark::State& state) {
    const BenchFile& file = benchFile();
    file.restore();
    for (auto _ : state) {
        const std::optional<QByteArray> bytes = platform::readFile(file.path);
        if (!bytes || !platform::replaceFile(file.path, *bytes)) {
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
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadKeyValue(messages, file.path, file.lastSection, file.lastKey));
    }
    if (ReadKeyValue(messages, file.path, file.lastSection, file.lastKey).isEmpty()) {
        state.SkipWithError("the key was not found");
    }
    state.SetLabel("floor: BM_ReadFile");
}
BENCHMARK(BM_ReadKeyValue_LastSection);

void BM_ReadKeyValue_MissingKey(benchmark::State& state) {
    const BenchFile& file = benchFile();
    file.restore();
    testing::ScriptedMessages messages;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadKeyValue(messages, file.path, file.lastSection, "NoSuchKey"));
    }
    state.SetLabel("floor: BM_ReadFile");
}
BENCHMARK(BM_ReadKeyValue_MissingKey);

void BM_WriteKeyValue_LastSection(benchmark::State& state) {
    const BenchFile& file = benchFile();
    file.restore();
    // A value that differs each time, so that every call really rewrites the file.
    qint64 round = 0;
    for (auto _ : state) {
        if (!WriteKeyValue(file.path, file.lastSection, file.lastKey,
                           QByteArray::number(++round))) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetLabel("floor: BM_ReadFileReplaceFile");
}
BENCHMARK(BM_WriteKeyValue_LastSection);

void BM_WriteKeyValue_MissingKey(benchmark::State& state) {
    const BenchFile& file = benchFile();
    // Each call adds the key to a file that lacks it; putting the file back is not timed.
    for (auto _ : state) {
        state.PauseTiming();
        file.restore();
        state.ResumeTiming();
        if (!WriteKeyValue(file.path, file.lastSection, "NoSuchKey", QByteArray("1"))) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetLabel("floor: BM_ReadFileReplaceFile");
}
BENCHMARK(BM_WriteKeyValue_MissingKey);

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
