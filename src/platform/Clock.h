#pragma once

#include <cstdint>

namespace rendix::platform {

struct LocalDateTime {
    int year = 2000;
    int month = 1;   // 1 to 12
    int day = 1;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    int second = 0;  // 0 to 59
};

// The local date and time of day (the test seam's, when one is active).
LocalDateTime localNow();

// Nanoseconds of the steady clock (frozen by the test seam when it says so).
std::int64_t steadyNanoseconds();

// The program's pseudo-random generator. A reseed mixes the steady clock's nanoseconds
// with a counter, so two reseeds within one clock tick still give different draws.
class Random {
public:
    // Reseeds from the system timer.
    static void reseed();
    // The next value, a float uniform in [0, 1).
    static float draw();
};

}  // namespace rendix::platform
