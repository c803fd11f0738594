#include "platform/Registry.h"

#include "platform/Windows.h"

namespace rendix::platform::os {

namespace {

// The predefined key of a root as the 32-bit number the original code passes around.
HKEY rootKey(std::uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

// A key opened for `access`, closed with the object.
class Key {
public:
    Key(std::uint32_t root, const QByteArray& name, REGSAM access) {
        if (::RegOpenKeyExA(rootKey(root), name.constData(), 0, access, &m_key) != ERROR_SUCCESS) {
            m_key = nullptr;
        }
    }
    ~Key() {
        if (m_key) {
            ::RegCloseKey(m_key);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The rights the original program asks for: read control, query value, set value, create
// subkey, enumerate subkeys, notify and create link.
constexpr REGSAM kOriginalAccess = 0x2003F;

}  // namespace

std::optional<RegistryValue> queryRegistryValue(std::uint32_t root, const QByteArray& key,
                                                const QByteArray& name) {
    // Since Windows Vista an account that is no administrator (and an administrator's
    // programs, unless elevated) may not change keys under HKEY_LOCAL_MACHINE, so asking for
    // the rights to change one fails there; reading is all the query needs.
    std::optional<Key> opened(std::in_place, root, key, kOriginalAccess);
    if (!opened->get()) {
        opened.emplace(root, key, KEY_READ);
    }
    if (!opened->get()) {
        return std::nullopt;
    }
    char buffer[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (::RegQueryValueExA(opened->get(), name.constData(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return RegistryValue{static_cast<std::uint32_t>(type),
                         QByteArray(buffer, static_cast<qsizetype>(size))};
}

std::vector<QByteArray> registrySubkeys(std::uint32_t root, const QByteArray& key) {
    std::vector<QByteArray> names;
    const Key opened(root, key, KEY_READ);
    if (!opened.get()) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];  // the longest name a key may have, and its terminating zero
        DWORD size = sizeof name;
        const LONG status =
            ::RegEnumKeyExA(opened.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status == ERROR_SUCCESS) {
            names.emplace_back(name, static_cast<qsizetype>(size));
        }
    }
    return names;
}

}  // namespace rendix::platform::os
