#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace rendix::bench {

// Times `routine` and `floor` in alternation, each iteration taking turns at going first,
// so that a machine that grows busier or quieter during the run slows both alike.
// `prepare` runs untimed before each pair. The benchmark's time is the routine's; the
// counter "floor_ratio" is routine over floor, and the label names the floor.
template <typename Prepare, typename Floor, typename Routine>
void timeAgainstFloor(benchmark::State& state, const char* floorName, Prepare prepare, Floor floor,
                      Routine routine) {
    using Clock = std::chrono::steady_clock;
    Clock::duration floorTime{};
    Clock::duration routineTime{};
    bool floorFirst = true;
    for (auto _ : state) {
        const auto timed = [&](auto&& work, Clock::duration& total) {
            prepare();
            const Clock::time_point start = Clock::now();
            const bool ok = work();
            total += Clock::now() - start;
            return ok;
        };
        const Clock::duration before = routineTime;
        const bool ok = floorFirst ? timed(floor, floorTime) && timed(routine, routineTime)
                                   : timed(routine, routineTime) && timed(floor, floorTime);
        if (!ok) {
            state.SkipWithError("a step failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(routineTime - before).count());
        floorFirst = !floorFirst;
    }
    if (floorTime.count() > 0) {
        state.counters["floor_ratio"] =
            static_cast<double>(routineTime.count()) / static_cast<double>(floorTime.count());
    }
    state.SetLabel(std::string("floor: ") + floorName);
}

}  // namespace rendix::bench
