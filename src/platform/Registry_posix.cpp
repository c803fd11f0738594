#include "platform/Registry.h"

namespace rendix::platform::os {

// Linux has no registry: every key is missing.
std::optional<RegistryValue> queryRegistryValue(std::uint32_t, const QByteArray&,
                                                const QByteArray&) {
    return std::nullopt;
}

std::vector<QByteArray> registrySubkeys(std::uint32_t, const QByteArray&) {
    return {};
}

}  // namespace rendix::platform::os
