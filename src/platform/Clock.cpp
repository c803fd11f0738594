#include "platform/Clock.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <chrono>

#include "platform/Seam.h"

namespace rendix::platform {

LocalDateTime localNow() {
    if (const TestSeam* seam = TestSeam::active(); seam && seam->localTime()) {
        return *seam->localTime();
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

std::int64_t steadyNanoseconds() {
    if (const TestSeam* seam = TestSeam::active(); seam && seam->steadyNanos()) {
        return *seam->steadyNanos();
    }
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

// The generator's state; the program draws from its one user-interface thread only.
std::uint64_t g_state = 0x853c49e6748fea9bULL;
std::uint64_t g_reseeds = 0;

std::uint64_t splitmix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

}  // namespace

void Random::reseed() {
    // The counter makes two reseeds within one clock tick (or under a frozen clock) differ;
    // one splitmix round spreads the mixed bits over the whole state.
    ++g_reseeds;
    std::uint64_t seed =
        static_cast<std::uint64_t>(steadyNanoseconds()) ^ (g_reseeds * 0x9e3779b97f4a7c15ULL);
    g_state = splitmix64(seed);
}

float Random::draw() {
    // 24 random bits fill a float's mantissa exactly, so the result is never 1.0f.
    const std::uint64_t bits = splitmix64(g_state) >> 40;
    return static_cast<float>(bits) / 16777216.0f;
}

}  // namespace rendix::platform
