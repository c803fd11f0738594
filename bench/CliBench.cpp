#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "app/GameTypes.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/GameInstall.h"
#include "support/TestFiles.h"

extern char** environ;

// rendix-cli as a server's start script runs it: a whole process on the 5,000-maps-per-type
// install, against the work it cannot avoid, done with the same platform calls: the start of
// a Qt Core program (rendix-cli --version) and, per game type it randomizes, one backup copy
// and one safe replace of UnrealTournament.ini, and one listing of the maps folder.
namespace {

using namespace rendix;
using Clock = std::chrono::steady_clock;

const testing::GameInstall& cliInstall() {
    static testing::TempDir dir;
    static const testing::GameInstall install = [] {
        testing::GameInstallOptions options;
        options.extraMapsPerType = 5000;
        options.targetIniBytes = 200000;
        return testing::makeGameInstall(dir.file("UT"), options);
    }();
    return install;
}

// Runs rendix-cli with `arguments`, its output to /dev/null, and waits for it.
bool runCli(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), RENDIX_CLI);
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, RENDIX_CLI, &actions, nullptr,
                                      const_cast<char**>(arguments.data()), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// The program's start, then one backup copy and one safe replace per game type.
bool startCopiesAndReplaces(const testing::GameInstall& install, std::size_t types) {
    bool done = runCli({"--version"});
    for (std::size_t i = 0; i < types; ++i) {
        const std::optional<QByteArray> bytes = platform::readFile(install.ini);
        done = done && bytes &&
               platform::copyFileNew(install.ini, install.system + "/Rendix_UnrealTournament" +
                                                      QByteArray::number(i) + ".ini") &&
               platform::replaceFile(install.ini, *bytes);
    }
    return done;
}

// One reading of the maps folder, which every randomize needs (however many types it does).
bool listMaps(const testing::GameInstall& install) {
    return platform::listFiles(install.maps, "*.unr").ok;
}

// The process and its floor in alternation, each iteration taking turns at going first, so
// that a machine that grows busier during the run slows both alike. "floor_ratio" counts
// the maps listing in the floor; "ratio_without_listing" leaves it out.
void BM_CliRandomize(benchmark::State& state) {
    const testing::GameInstall& install = cliInstall();
    std::vector<const char*> arguments{
        "-q", "-s", "/nonexistent/Rendix.ini", "-g", install.root.constData(), "randomize"};
    std::vector<const GameType*> types;
    for (const GameType& type : kGameTypes) {
        types.push_back(&type);
    }
    if (state.range(0) == 1) {
        arguments.push_back("ctf");
        types = {&kGameTypes[1]};
    }
    Clock::duration cli{};
    Clock::duration base{};
    Clock::duration listing{};
    const auto timed = [](Clock::duration& total, auto&& work) {
        const Clock::time_point start = Clock::now();
        const bool ok = work();
        total += Clock::now() - start;
        return ok;
    };
    bool floorFirst = true;
    for (auto _ : state) {
        // Backups pile up and would slow every later name probe.
        if (!platform::removeMatching(install.system, "rendix_unrealtournament*.ini")) {
            std::abort();
        }
        const Clock::duration before = cli;
        const auto floor = [&] {
            return timed(base, [&] { return startCopiesAndReplaces(install, types.size()); }) &&
                   timed(listing, [&] { return listMaps(install); });
        };
        const auto process = [&] { return timed(cli, [&] { return runCli(arguments); }); };
        if (!(floorFirst ? floor() && process() : process() && floor())) {
            state.SkipWithError("rendix-cli or its floor failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(cli - before).count());
        floorFirst = !floorFirst;
    }
    const auto ratio = [&](Clock::duration floor) {
        return static_cast<double>(cli.count()) / static_cast<double>(floor.count());
    };
    state.counters["floor_ratio"] = ratio(base + listing);
    state.counters["ratio_without_listing"] = ratio(base);
    state.SetLabel("floor: start, a listing, per type a backup copy and safe replace");
}
BENCHMARK(BM_CliRandomize)
    ->Arg(1)
    ->Arg(4)
    ->UseManualTime()
    ->MinTime(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
