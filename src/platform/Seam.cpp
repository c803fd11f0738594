#include "platform/Seam.h"

#include "platform/Text.h"

#include <algorithm>
#include <cassert>

namespace rendix::platform {

namespace {

// One seam at a time: the platform layer consults it through this pointer only, so the
// cost without a seam is one load and a test.
TestSeam* g_active = nullptr;

std::size_t indexOf(Operation op) {
    return static_cast<std::size_t>(op);
}

}  // namespace

bool injectFault(Operation op) {
    if (g_active == nullptr) {
        return false;
    }
    return g_active->takeFault(op);
}

TestSeam::TestSeam() {
    assert(g_active == nullptr && "only one TestSeam may live at a time");
    g_active = this;
}

TestSeam::~TestSeam() {
    if (g_active == this) {
        g_active = nullptr;
    }
}

void TestSeam::failNth(Operation op, int n) {
    m_failAt[indexOf(op)].push_back(n);
}

void TestSeam::failAll(Operation op) {
    m_failAll[indexOf(op)] = true;
}

void TestSeam::runBefore(Operation op, int n, std::function<void()> action) {
    m_before[indexOf(op)].emplace_back(n, std::move(action));
}

int TestSeam::count(Operation op) const {
    return m_counts[indexOf(op)];
}

void TestSeam::resetCounts() {
    m_counts.fill(0);
    for (std::vector<int>& planned : m_failAt) {
        planned.clear();
    }
    m_failAll.fill(false);
    for (auto& actions : m_before) {
        actions.clear();
    }
}

void TestSeam::setRegistryValue(std::uint32_t root, const QByteArray& key, const QByteArray& name,
                                RegistryValue value) {
    m_registry[{root, key, name}] = std::move(value);
}

TestSeam* TestSeam::active() {
    return g_active;
}

bool TestSeam::takeFault(Operation op) {
    const std::size_t i = indexOf(op);
    const int n = ++m_counts[i];
    for (const auto& [at, action] : m_before[i]) {
        if (at == n) {
            action();
        }
    }
    if (m_failAll[i]) {
        return true;
    }
    const std::vector<int>& planned = m_failAt[i];
    return std::find(planned.begin(), planned.end(), n) != planned.end();
}

bool TestSeam::recordStart(const QByteArray& program) {
    m_started.push_back(program);
    return m_startsSucceed;
}

bool TestSeam::recordOpen(const QByteArray& document) {
    m_opened.push_back(document);
    return m_startsSucceed;
}

std::optional<RegistryValue> TestSeam::registryValue(std::uint32_t root, const QByteArray& key,
                                                     const QByteArray& name) const {
    // The registry matches key and value names without regard to letter case.
    for (const auto& [id, value] : m_registry) {
        const auto& [r, k, n] = id;
        if (r == root && equalsFolded(k, key) && equalsFolded(n, name)) {
            return value;
        }
    }
    return std::nullopt;
}

std::vector<QByteArray> TestSeam::registrySubkeys(std::uint32_t root, const QByteArray& key) const {
    std::vector<QByteArray> names;
    const QByteArray prefix = key + '\\';
    for (const auto& [id, value] : m_registry) {
        const auto& [r, k, n] = id;
        if (r != root || k.size() <= prefix.size() ||
            !equalsFolded(k.left(prefix.size()), prefix)) {
            continue;
        }
        QByteArray name = k.mid(prefix.size());
        name.truncate(name.indexOf('\\') < 0 ? name.size() : name.indexOf('\\'));
        if (std::none_of(names.begin(), names.end(),
                         [&](const QByteArray& known) { return equalsFolded(known, name); })) {
            names.push_back(name);
        }
    }
    return names;
}

bool TestSeam::registryKeyExists(std::uint32_t root, const QByteArray& key) const {
    for (const auto& [id, value] : m_registry) {
        const auto& [r, k, n] = id;
        if (r == root && equalsFolded(k, key)) {
            return true;
        }
    }
    return false;
}

}  // namespace rendix::platform
