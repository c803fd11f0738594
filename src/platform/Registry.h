#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

namespace rendix::platform {

inline constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kRegistryString = 1;
inline constexpr std::uint32_t kRegistryDword = 4;

// A value as the registry's query reports it: its type and the n characters stored
// (for a string usually including its terminating zero).
struct RegistryValue {
    std::uint32_t type = kRegistryString;
    QByteArray data;
};

// Opens `key` under `root` and queries the value `name` into a 1024-byte buffer.
// Returns nothing when the key cannot be opened or the value cannot be read. On Linux
// the registry holds no keys, so only the test seam's fake registry answers.
std::optional<RegistryValue> queryRegistryValue(std::uint32_t root, const QByteArray& key,
                                                const QByteArray& name);

// The names of the keys right under `key`, in no particular order; none where `key` cannot
// be opened. As queryRegistryValue, the test seam's fake registry stands in where it is set.
std::vector<QByteArray> registrySubkeys(std::uint32_t root, const QByteArray& key);

// What the operating system's own registry answers (Registry_posix.cpp: nothing, every key
// is missing); the routines above ask it unless the test seam's fake registry stands in.
namespace os {
std::optional<RegistryValue> queryRegistryValue(std::uint32_t root, const QByteArray& key,
                                                const QByteArray& name);
std::vector<QByteArray> registrySubkeys(std::uint32_t root, const QByteArray& key);
}  // namespace os

}  // namespace rendix::platform
