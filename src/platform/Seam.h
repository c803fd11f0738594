#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/Registry.h"

namespace rendix::platform {

// The operations of the platform layer that a test can make fail.
enum class Operation {
    Open,
    Read,
    Write,
    Flush,
    Sync,
    Rename,
    Copy,
    Delete,
    List,
};
inline constexpr int kOperationCount = 9;

// Platform code calls this right before each operation of that kind. It counts the
// operation and returns true when the active seam says this one must fail, in which case
// the caller behaves exactly as if the operating system had refused it.
bool injectFault(Operation op);

// The one seam through which tests reach the platform. While an instance lives (at most
// one at a time) it counts every operation, makes the ones it was told to fail, records
// the programs and documents that would have been started instead of starting them, and
// stands in for the local time, the steady clock, the program directory, the per-user
// configuration folder and the registry. Destroying it restores the real platform.
class TestSeam {
public:
    TestSeam();
    ~TestSeam();
    TestSeam(const TestSeam&) = delete;
    TestSeam& operator=(const TestSeam&) = delete;

    // Makes the nth operation of that kind (1-based, counted from the seam's creation or
    // the last resetCounts()) fail. May be called for several n and kinds.
    void failNth(Operation op, int n);
    // Makes every operation of that kind fail from now on.
    void failAll(Operation op);
    // Runs `action` right before the nth operation of that kind (counted as failNth counts),
    // to stage what another process could do at that moment: take a name, change a file.
    void runBefore(Operation op, int n, std::function<void()> action);
    int count(Operation op) const;
    // Clears the counts, every planned failure and every planned action.
    void resetCounts();

    // Programs started by path (startProgram) and documents opened (openDocument), in order.
    const std::vector<QByteArray>& startedPrograms() const { return m_started; }
    const std::vector<QByteArray>& openedDocuments() const { return m_opened; }
    // Whether a recorded start or open reports success (default true).
    void setStartsSucceed(bool succeed) { m_startsSucceed = succeed; }

    void setLocalTime(const LocalDateTime& time) { m_localTime = time; }
    // Freezes the steady clock: every reading gives this many nanoseconds.
    void freezeSteadyClock(std::int64_t nanoseconds) { m_steadyNanos = nanoseconds; }
    void setProgramDirectory(const QByteArray& dir) { m_programDir = dir; }
    void setUserConfigFolder(const QByteArray& dir) { m_userConfigFolder = dir; }
    void setHomeFolder(const QByteArray& dir) { m_homeFolder = dir; }
    // Stands in for XDG_DATA_HOME; without it a seam's data folder is ~/.local/share of its
    // home folder, whatever the environment says.
    void setDataHome(const QByteArray& dir) { m_dataHome = dir; }
    // Stands in for the program files of the running processes.
    void setRunningPrograms(std::vector<QByteArray> programs) { m_running = std::move(programs); }
    // Puts a value into the fake registry that stands in for the real one (which on Linux
    // holds nothing). `data` holds the n bytes the value query reports.
    void setRegistryValue(std::uint32_t root, const QByteArray& key, const QByteArray& name,
                          RegistryValue value);
    // Lets the system's own registry answer instead of the fake one (for tests that put
    // values into a real registry).
    void useSystemRegistry() { m_systemRegistry = true; }

    // The active seam, or nullptr when the real platform is in use.
    static TestSeam* active();

    // Used by the platform layer only.
    bool takeFault(Operation op);
    bool recordStart(const QByteArray& program);
    bool recordOpen(const QByteArray& document);
    const std::optional<LocalDateTime>& localTime() const { return m_localTime; }
    const std::optional<std::int64_t>& steadyNanos() const { return m_steadyNanos; }
    const std::optional<QByteArray>& programDirectory() const { return m_programDir; }
    const std::optional<QByteArray>& userConfigFolder() const { return m_userConfigFolder; }
    const std::optional<QByteArray>& homeFolder() const { return m_homeFolder; }
    const std::optional<QByteArray>& dataHome() const { return m_dataHome; }
    const std::optional<std::vector<QByteArray>>& runningPrograms() const { return m_running; }
    std::optional<RegistryValue> registryValue(std::uint32_t root, const QByteArray& key,
                                               const QByteArray& name) const;
    bool registryKeyExists(std::uint32_t root, const QByteArray& key) const;
    // The keys right under `key` that hold values of the fake registry, or keys that do.
    std::vector<QByteArray> registrySubkeys(std::uint32_t root, const QByteArray& key) const;
    bool usesSystemRegistry() const { return m_systemRegistry; }

private:
    std::array<int, kOperationCount> m_counts{};
    std::array<std::vector<int>, kOperationCount> m_failAt{};
    std::array<bool, kOperationCount> m_failAll{};
    std::array<std::vector<std::pair<int, std::function<void()>>>, kOperationCount> m_before{};
    std::vector<QByteArray> m_started;
    std::vector<QByteArray> m_opened;
    bool m_startsSucceed = true;
    std::optional<LocalDateTime> m_localTime;
    std::optional<std::int64_t> m_steadyNanos;
    std::optional<QByteArray> m_programDir;
    std::optional<QByteArray> m_userConfigFolder;
    std::optional<QByteArray> m_homeFolder;
    std::optional<QByteArray> m_dataHome;
    std::optional<std::vector<QByteArray>> m_running;
    std::map<std::tuple<std::uint32_t, QByteArray, QByteArray>, RegistryValue> m_registry;
    bool m_systemRegistry = false;
};

}  // namespace rendix::platform
