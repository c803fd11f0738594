#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

#include "ini/Profile.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "support/GameInstall.h"
#include "support/TestFiles.h"

// The text scans on a large UnrealTournament.ini (about 200 KB): splitting it into lines and
// looking up the last key of its last section, each against one read of the file from
// disk, the work a command does anyway before it scans.
namespace {

using namespace rendix;

struct TextFile200K {
    testing::TempDir dir;
    QByteArray path;
    QByteArray bytes;
    QByteArray lastSection;
    QByteArray lastKey;

    TextFile200K() : path(dir.file("UnrealTournament.ini")) {
        testing::GameInstallOptions options;
        options.targetIniBytes = 200000;
        bytes = testing::unrealTournamentIni(options);
        testing::writeBytes(path, bytes);
        for (const platform::Line& line : platform::splitLines(bytes).lines) {
            if (line.text.startsWith('[') && line.text.endsWith(']')) {
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
};

const TextFile200K& textFile() {
    static const TextFile200K file;
    return file;
}

// splitLines written as the plainest byte loop, the yardstick for the library's scan.
platform::TextFile splitLinesByteLoop(const QByteArray& bytes) {
    platform::TextFile file;
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        file.bom = bytes.first(3);
        p += 3;
    }
    file.lines.reserve(static_cast<std::size_t>(std::count_if(p, end, platform::isBreak)) + 1);
    while (p != end) {
        const char* const stop = std::find_if(p, end, platform::isBreak);
        platform::Line& line = file.lines.emplace_back();
        line.text = QByteArray(p, stop - p);
        if (stop == end) {
            line.end = platform::LineEnd::None;
            p = end;
        } else if (*stop == '\n') {
            line.end = platform::LineEnd::Lf;
            p = stop + 1;
        } else if (stop + 1 != end && stop[1] == '\n') {
            line.end = platform::LineEnd::CrLf;
            p = stop + 2;
        } else {
            line.end = platform::LineEnd::Cr;
            p = stop + 1;
        }
    }
    return file;
}

void BM_TextReadFile(benchmark::State& state) {
    const TextFile200K& file = textFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::readFile(file.path));
    }
    state.SetBytesProcessed(state.iterations() * file.bytes.size());
}
BENCHMARK(BM_TextReadFile);

void BM_SplitLines_Library(benchmark::State& state) {
    const TextFile200K& file = textFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::splitLines(file.bytes));
    }
    state.SetBytesProcessed(state.iterations() * file.bytes.size());
    state.SetLabel("floor: BM_TextReadFile");
}
BENCHMARK(BM_SplitLines_Library);

void BM_SplitLines_ByteLoop(benchmark::State& state) {
    const TextFile200K& file = textFile();
    if (platform::joinLines(splitLinesByteLoop(file.bytes)) != file.bytes) {
        state.SkipWithError("the byte loop splits differently");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(splitLinesByteLoop(file.bytes));
    }
    state.SetBytesProcessed(state.iterations() * file.bytes.size());
    state.SetLabel("floor: BM_TextReadFile");
}
BENCHMARK(BM_SplitLines_ByteLoop);

// The lookup that passes every header of the file before it finds its key.
void BM_ProfileValue_LastKey(benchmark::State& state) {
    const TextFile200K& file = textFile();
    for (auto _ : state) {
        const std::optional<QByteArray> value =
            ini::profileValue(file.bytes, file.lastSection, file.lastKey);
        if (!value) {
            state.SkipWithError("the last key was not found");
            break;
        }
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(state.iterations() * file.bytes.size());
    state.SetLabel("floor: BM_TextReadFile");
}
BENCHMARK(BM_ProfileValue_LastKey);

}  // namespace
