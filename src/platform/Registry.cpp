#include "platform/Registry.h"

#include "platform/Seam.h"

namespace rendix::platform {

std::optional<RegistryValue> queryRegistryValue(std::uint32_t root, const QByteArray& key,
                                                const QByteArray& name) {
    const TestSeam* seam = TestSeam::active();
    if (!seam || seam->usesSystemRegistry()) {
        return os::queryRegistryValue(root, key, name);
    }
    if (!seam->registryKeyExists(root, key)) {
        return std::nullopt;
    }
    std::optional<RegistryValue> value = seam->registryValue(root, key, name);
    // The query reads into a 1024-byte buffer; a longer value does not fit and fails.
    if (value && value->data.size() > 1024) {
        return std::nullopt;
    }
    return value;
}

std::vector<QByteArray> registrySubkeys(std::uint32_t root, const QByteArray& key) {
    const TestSeam* seam = TestSeam::active();
    if (!seam || seam->usesSystemRegistry()) {
        return os::registrySubkeys(root, key);
    }
    return seam->registrySubkeys(root, key);
}

}  // namespace rendix::platform
