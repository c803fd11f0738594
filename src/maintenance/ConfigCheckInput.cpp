#include "maintenance/ConfigCheckParts.h"

#include <algorithm>
#include <span>

#include "ini/LineScan.h"
#include "platform/Paths.h"

namespace rendix::configcheck {

namespace {

// Compares names as the listing order does first: byte by byte with a-z counted as A-Z, a
// name before the longer names it begins.
bool foldedLess(QByteArrayView a, QByteArrayView b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(platform::upperByte(a[i]));
        const auto y = static_cast<unsigned char>(platform::upperByte(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    return a.size() < b.size();
}

// The names of a listing that begin with `prefix` in any letter case. A listing comes in the
// listing order, so they stand together and are found by a binary search: the check looks
// up a few thousand names among tens of thousands of files without indexing the files.
std::span<const QByteArray> namesStartingWith(const std::vector<QByteArray>& names,
                                              QByteArrayView prefix) {
    const auto first = std::lower_bound(
        names.begin(), names.end(), prefix,
        [](const QByteArray& name, QByteArrayView key) { return foldedLess(name, key); });
    auto last = first;
    while (last != names.end() && last->size() >= prefix.size() &&
           platform::equalsFolded(QByteArrayView(*last).first(prefix.size()), prefix)) {
        ++last;
    }
    return {first, last};
}

}  // namespace

ConfigKeys readKeys(QByteArrayView bytes) {
    ConfigKeys keys;
    std::vector<std::pair<QByteArrayView, std::vector<KeyAt>*>> sections{
        {kEngineSection, &keys.engine}, {kStartGameSection, &keys.startGame}};
    for (std::size_t i = 0; i < kGameTypes.size(); ++i) {
        sections.emplace_back(kGameTypes[i].mapListSection, &keys.mapLists[i]);
    }
    std::vector<KeyAt>* current = nullptr;
    for (ini::LineScan scan(bytes); scan.next();) {
        const QByteArrayView text = scan.text();
        if (const std::optional<QByteArrayView> header = ini::headerName(text)) {
            current = nullptr;
            for (auto& [name, target] : sections) {
                if (target && platform::equalsFolded(*header, name)) {
                    // As the profile layer reads: a later section of the name is not read.
                    current = std::exchange(target, nullptr);
                }
            }
        } else if (current) {
            if (const std::optional<ini::KeyText> key = ini::keyLine(text)) {
                current->push_back({key->name, ini::readValue(key->value), text, scan.number()});
            }
        }
    }
    return keys;
}

const std::vector<QByteArray>& Folders::names(const QByteArray& folder) const {
    static const std::vector<QByteArray> none;
    for (const auto& [path, listing] : listed) {
        if (path == folder) {
            return listing.names;
        }
    }
    return none;
}

bool Folders::holds(const std::vector<QByteArray>& folders, QByteArrayView stem,
                    std::initializer_list<QByteArrayView> extensions) const {
    const QByteArray prefix = stem.toByteArray() + '.';
    for (const QByteArray& folder : folders) {
        for (const QByteArray& name : namesStartingWith(names(folder), prefix)) {
            const QByteArrayView extension = QByteArrayView(name).sliced(prefix.size());
            if (std::any_of(extensions.begin(), extensions.end(), [&](QByteArrayView known) {
                    return platform::equalsFolded(extension, known);
                })) {
                return true;
            }
        }
    }
    return false;
}

bool Folders::holdsMap(QByteArrayView file) const {
    for (const SearchFolder& folder : mapFolders) {
        for (const QByteArray& name : namesStartingWith(names(folder.folder), file)) {
            if (name.size() == file.size() && platform::wildcardMatch(folder.pattern, name)) {
                return true;
            }
        }
    }
    return false;
}

std::optional<QByteArray> listFolders(const Install& install, Folders& folders) {
    for (const SearchFolder& folder : install.packageFolders()) {
        folders.packageFolders.push_back(folder.folder);
    }
    folders.mapFolders = install.mapFolders();
    folders.intFolders = {install.systemFolder(), install.localizedIntFolder()};
    std::vector<QByteArray> paths;
    const auto add = [&](const QByteArray& path) {
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) {
            paths.push_back(path);
        }
    };
    for (const QByteArray& folder : folders.packageFolders) {
        add(folder);
    }
    for (const SearchFolder& folder : folders.mapFolders) {
        add(folder.folder);
    }
    for (const QByteArray& folder : folders.intFolders) {
        add(folder);
    }
    add(install.configFolder());
    for (const QByteArray& folder : install.programFolders()) {
        add(folder);
    }
    for (const QByteArray& path : paths) {
        platform::Listing listing = platform::listFiles(path, "*");
        if (!listing.ok) {
            return path;
        }
        folders.listed.emplace_back(path, std::move(listing));
    }
    return std::nullopt;
}

}  // namespace rendix::configcheck
