#include "app/Install.h"

#include <QSet>

#include <array>

#include <algorithm>

#include "ini/Profile.h"
#include "platform/Files.h"
#include "platform/GamePlaces.h"
#include "platform/KnownFolders.h"
#include "platform/Text.h"

namespace rendix {

namespace {

constexpr const char* kConfigName = "UnrealTournament.ini";
constexpr std::array<const char*, 3> kProgramFolders{"System", "System64", "SystemARM64"};
constexpr std::array<const char*, 5> kDefaultPackageFolders{"System", "Maps", "Textures", "Sounds",
                                                            "Music"};

// The file as the game opens it: a plain file stored exactly under `name`.
std::optional<QByteArray> exactFile(const QByteArray& folder, const char* name) {
    const std::optional<platform::FoundFile> found =
        platform::lookupFile(platform::joinPath(folder, {name}));
    if (!found || found->storedName != QByteArrayView(name)) {
        return std::nullopt;
    }
    return found->path;
}

// The path resolved where it exists, as given otherwise.
QByteArray resolvedOr(const QByteArray& path) {
    return platform::resolvePath(path).value_or(path);
}

// The program folders of `utDir` that exist (System, System64, SystemARM64, in that
// order), resolved, each with the name it was looked up by.
std::vector<std::pair<const char*, QByteArray>> existingProgramFolders(const QByteArray& utDir) {
    std::vector<std::pair<const char*, QByteArray>> folders;
    for (const char* name : kProgramFolders) {
        if (const std::optional<QByteArray> dir =
                platform::resolvePath(platform::joinPath(utDir, {name}));
            dir && platform::folderExists(*dir)) {
            folders.emplace_back(name, *dir);
        }
    }
    return folders;
}

// The System folder of patch 469's per-user game folder, ~/.utpg.
QByteArray perUserSystemFolder() {
    return platform::joinPath(platform::homeFolder(), {".utpg", "System"});
}

bool hasWildcard(QByteArrayView text) {
    return text.contains('*') || text.contains('?');
}

// The folder and pattern of one Paths= value. A relative value starts at <UTDir>/System,
// where the game runs from; its leading ".." steps are taken within the path as written,
// so that "../Maps" is <UTDir>/Maps even where only System64 exists.
std::optional<SearchFolder> searchFolder(const QByteArray& utDir, QByteArray value) {
    // The game's own files separate with "\" on every system.
    const char between = platform::separator().front();
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\\' || c == '/'; }, between);
    if (value.endsWith(between)) {
        return std::nullopt;
    }
    const platform::PathParts parts = platform::splitPath(value);
    if (parts.names.empty() || !hasWildcard(parts.names.back())) {
        return std::nullopt;
    }
    const QByteArray pattern = parts.names.back();
    const bool absolute = !parts.root.isEmpty();
    QByteArrayList folder;
    if (!absolute) {
        folder << "System";
    }
    for (std::size_t i = 0; i + 1 < parts.names.size(); ++i) {
        const QByteArray& part = parts.names[i];
        if (part == ".") {
            continue;
        }
        if (part == ".." && !folder.isEmpty() && folder.back() != "..") {
            folder.pop_back();
        } else {
            folder << part;
        }
    }
    const QByteArray joined = folder.join(between);
    const QByteArray path =
        absolute ? parts.root + joined : utDir + (joined.isEmpty() ? "" : between + joined);
    return SearchFolder{resolvedOr(path), pattern};
}

// A folder named twice counts once, with the pattern of its first line.
void addOnce(std::vector<SearchFolder>& folders, SearchFolder folder) {
    if (std::none_of(folders.begin(), folders.end(),
                     [&](const SearchFolder& known) { return known.folder == folder.folder; })) {
        folders.push_back(std::move(folder));
    }
}

bool isMapPattern(QByteArrayView pattern) {
    return pattern.size() >= 4 && platform::equalsFolded(pattern.last(4), ".unr");
}

}  // namespace

std::vector<QByteArray> Install::configCandidates(const QByteArray& utDir) {
    std::vector<QByteArray> candidates;
    for (const auto& [name, dir] : existingProgramFolders(utDir)) {
        if (std::optional<QByteArray> file = exactFile(dir, kConfigName)) {
            candidates.push_back(std::move(*file));
        }
    }
    // Patch 469 reads a per-user copy where one exists (it makes one on Linux and macOS).
    // The game makes that folder under this very name: looking for it in another letter case
    // would read the whole home folder, at every start and every command.
    const QByteArray perUser = perUserSystemFolder();
    if (std::optional<QByteArray> file =
            platform::existsAsNamed(perUser) ? exactFile(perUser, kConfigName) : std::nullopt;
        file && std::find(candidates.begin(), candidates.end(), *file) == candidates.end()) {
        candidates.push_back(std::move(*file));
    }
    return candidates;
}

Install Install::locate(const QByteArray& utDir, const QByteArray& chosenConfig) {
    Install install;
    install.m_gameDir = utDir;
    install.m_candidates = configCandidates(utDir);
    if (!chosenConfig.isEmpty()) {
        if (const std::optional<platform::FoundFile> chosen = platform::lookupFile(chosenConfig)) {
            install.m_configFile = chosen->path;
        }
    }
    if (install.m_configFile.isEmpty()) {
        if (install.m_candidates.size() == 1) {
            install.m_configFile = install.m_candidates.front();
        } else {
            install.m_needsChoice = install.m_candidates.size() > 1;
        }
    }

    install.m_configRead =
        install.hasConfigFile()
            ? platform::readFileChecked(install.m_configFile, install.m_configContent)
            : Result::failure(QStringLiteral("there is no configuration file"), Problem::Missing);
    for (const QByteArray& value :
         ini::profileValues(install.m_configContent, "Core.System", "Paths")) {
        if (std::optional<SearchFolder> folder = searchFolder(utDir, value)) {
            if (isMapPattern(folder->pattern)) {
                addOnce(install.m_mapFolders, *folder);
            }
            addOnce(install.m_packageFolders, std::move(*folder));
        }
    }
    if (install.m_mapFolders.empty()) {
        install.m_mapFolders.push_back({resolvedOr(platform::joinPath(utDir, {"Maps"})), "*.unr"});
    }
    if (install.m_packageFolders.empty()) {
        for (const char* folder : kDefaultPackageFolders) {
            install.m_packageFolders.push_back(
                {resolvedOr(platform::joinPath(utDir, {folder})), "*"});
        }
    }
    return install;
}

QByteArray Install::configFolder() const {
    return platform::parentPath(platform::rewrittenFile(m_configFile));
}

QByteArray Install::systemFolder() const {
    return resolvedOr(platform::joinPath(m_gameDir, {"System"}));
}

QByteArray Install::localizedIntFolder() const {
    return resolvedOr(platform::joinPath(m_gameDir, {"SystemLocalized", "int"}));
}

std::vector<QByteArray> Install::programFolders() const {
    std::vector<QByteArray> folders;
    for (auto& [name, dir] : existingProgramFolders(m_gameDir)) {
        folders.push_back(std::move(dir));
    }
    return folders;
}

QByteArray Install::mapFoldersText() const {
    QByteArrayList folders;
    for (const SearchFolder& folder : m_mapFolders) {
        folders << folder.folder;
    }
    return folders.join(", ");
}

platform::Listing Install::listMaps(QByteArrayView typePattern) const {
    platform::Listing maps;
    QSet<QByteArray> seen;
    int contributing = 0;  // folders that gave names: their lists are each in order already
    m_mapListings.resize(m_mapFolders.size());
    for (std::size_t i = 0; i < m_mapFolders.size(); ++i) {
        std::optional<platform::Listing>& listing = m_mapListings[i];
        if (!listing) {
            listing = platform::listFiles(m_mapFolders[i].folder, m_mapFolders[i].pattern);
        }
        if (!listing->ok) {
            listing.reset();  // a folder that could not be read is tried again next time
            return {false, {}};
        }
        const std::size_t before = maps.names.size();
        for (const QByteArray& name : listing->names) {
            if (!platform::wildcardMatch(typePattern, name)) {
                continue;
            }
            // A map found in two folders counts once; with one folder no name repeats.
            if (m_mapFolders.size() > 1) {
                QByteArray folded = platform::foldCase(name);
                if (seen.contains(folded)) {
                    continue;
                }
                seen.insert(std::move(folded));
            }
            maps.names.push_back(name);
        }
        contributing += maps.names.size() > before ? 1 : 0;
    }
    if (contributing > 1) {
        platform::sortInListingOrder(maps.names);
    }
    return maps;
}

std::optional<platform::FoundFile> Install::findMap(const QByteArray& name) const {
    for (const SearchFolder& folder : m_mapFolders) {
        if (std::optional<platform::FoundFile> found =
                platform::lookupFile(platform::joinPath(folder.folder, {name}))) {
            return found;
        }
    }
    return std::nullopt;
}

std::optional<QByteArray> unreadableGameFolder(const QByteArray& dir, QString& why) {
    if (!platform::folderReadable(dir, &why)) {
        return resolvedOr(dir);
    }
    for (const auto& [name, folder] : existingProgramFolders(dir)) {
        if (!platform::folderReadable(folder, &why)) {
            return folder;
        }
    }
    return std::nullopt;
}

bool isGameDirectory(const QByteArray& dir, const QByteArray& chosenConfig) {
    // The classic test: the System folder holds the file stored exactly as the game names it.
    // The resolver prefers the exact spelling, so a folder that holds both spellings passes.
    const auto folders = existingProgramFolders(dir);
    if (folders.empty()) {
        return false;
    }
    if (folders.front().first == kProgramFolders[0] &&
        exactFile(folders.front().second, kConfigName)) {
        return true;
    }
    if (!chosenConfig.isEmpty() && platform::lookupFile(chosenConfig)) {
        return true;
    }
    return !Install::configCandidates(dir).empty();
}

}  // namespace rendix
