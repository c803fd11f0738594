#include "app/InstallSearch.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <initializer_list>
#include <optional>

#include "app/Install.h"
#include "platform/Files.h"
#include "platform/GamePlaces.h"
#include "platform/KnownFolders.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace {

// A launcher's file larger than this is no list of games; it is not read.
constexpr qint64 kMaxLauncherFile = 16 * 1024 * 1024;

// LinuxGSM's name for an Unreal Tournament server, and so for its first instance script.
constexpr const char* kLinuxGsmServer = "ut99server";

std::optional<QByteArray> readLauncherFile(const QByteArray& path) {
    const std::optional<platform::FileTimes> times = platform::fileTimes(path);
    if (!times || times->size > kMaxLauncherFile) {
        return std::nullopt;
    }
    return platform::readFile(path);
}

// The game directory of a program the game runs from: <dir>/System*/<program>, where the
// program's name matches one of `programs`.
std::optional<QByteArray> gameDirOfProgram(const QByteArray& program,
                                           std::initializer_list<QByteArrayView> programs) {
    const QByteArray folder = platform::parentPath(program);
    if (!platform::isAbsolutePath(program) || platform::lastName(folder).isEmpty() ||
        !platform::wildcardMatch("System*", platform::lastName(folder)) ||
        std::none_of(programs.begin(), programs.end(), [&](QByteArrayView pattern) {
            return platform::wildcardMatch(pattern, platform::lastName(program));
        })) {
        return std::nullopt;
    }
    return platform::parentPath(folder);
}

// --- Steam's libraryfolders.vdf --------------------------------------------------------

struct VdfToken {
    enum Kind { Text, Open, Close } kind;
    QByteArray text;
};

// The tokens of Valve's KeyValues text: quoted strings (with \\ \" \n \t escaped), bare
// words, "{" and "}"; "//" starts a comment. Nothing when a string is never closed.
std::optional<std::vector<VdfToken>> vdfTokens(QByteArrayView text) {
    std::vector<VdfToken> tokens;
    qsizetype i = 0;
    const qsizetype end = text.size();
    while (i < end) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '/' && i + 1 < end && text[i + 1] == '/') {
            while (i < end && text[i] != '\n') {
                ++i;
            }
        } else if (c == '{' || c == '}') {
            tokens.push_back({c == '{' ? VdfToken::Open : VdfToken::Close, {}});
            ++i;
        } else if (c == '"') {
            QByteArray value;
            for (++i;; ++i) {
                if (i >= end) {
                    return std::nullopt;
                }
                if (text[i] == '"') {
                    ++i;
                    break;
                }
                if (text[i] == '\\' && i + 1 < end) {
                    const char escaped = text[++i];
                    value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
                } else {
                    value += text[i];
                }
            }
            tokens.push_back({VdfToken::Text, value});
        } else {
            const qsizetype start = i;
            while (i < end && !QByteArrayView(" \t\r\n{}\"").contains(text[i])) {
                ++i;
            }
            tokens.push_back({VdfToken::Text, text.sliced(start, i - start).toByteArray()});
        }
    }
    return tokens;
}

// The libraries that Steam's steamapps/libraryfolders.vdf lists. It expects
//   "libraryfolders" { "0" { "path" "/home/u/.local/share/Steam" ... } "1" { ... } }
// or the older form, where a numbered key holds the path itself ("1" "/mnt/games/Steam").
// A file that does not parse as a whole (an open string, braces that do not pair, a key
// without a value) gives nothing.
std::vector<QByteArray> steamLibraries(QByteArrayView text) {
    const std::optional<std::vector<VdfToken>> tokens = vdfTokens(text);
    if (!tokens) {
        return {};
    }
    std::vector<QByteArray> libraries;
    std::vector<QByteArray> blocks;  // the keys of the open blocks, outermost first
    std::optional<QByteArray> key;
    for (const VdfToken& token : *tokens) {
        if (!key) {
            if (token.kind == VdfToken::Close && !blocks.empty()) {
                blocks.pop_back();
            } else if (token.kind == VdfToken::Text) {
                key = token.text;
            } else {
                return {};
            }
            continue;
        }
        if (token.kind == VdfToken::Open) {
            blocks.push_back(*key);
        } else if (token.kind == VdfToken::Text) {
            const bool inList =
                !blocks.empty() && platform::equalsFolded(blocks.front(), "libraryfolders");
            const bool numbered =
                std::all_of(key->begin(), key->end(), [](char c) { return c >= '0' && c <= '9'; });
            if (inList && ((blocks.size() == 2 && platform::equalsFolded(*key, "path")) ||
                           (blocks.size() == 1 && numbered && !key->isEmpty()))) {
                libraries.push_back(token.text);
            }
        } else {
            return {};
        }
        key.reset();
    }
    if (key || !blocks.empty()) {
        return {};
    }
    return libraries;
}

// --- Heroic's installed.json -----------------------------------------------------------

// The install_path of each game of Heroic's gog_store/installed.json, which it expects as
// {"installed": [{"install_path": "...", ...}, ...]} (a bare array of games is taken too).
std::vector<QByteArray> heroicInstallPaths(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        return {};
    }
    const QJsonArray games = document.isArray()
                                 ? document.array()
                                 : document.object().value(QStringLiteral("installed")).toArray();
    std::vector<QByteArray> paths;
    for (const QJsonValue& game : games) {
        const QString path = game.toObject().value(QStringLiteral("install_path")).toString();
        if (!path.isEmpty()) {
            paths.push_back(QFile::encodeName(path));
        }
    }
    return paths;
}

// --- Lutris' games/*.yml ---------------------------------------------------------------

// A YAML scalar as Lutris writes one on a line: plain (up to a " #" comment), in single
// quotes ('' for a quote) or in double quotes (\\ and \" escaped).
QByteArray yamlScalar(QByteArrayView text) {
    text = platform::trimBlanks(text);
    if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
        return text.sliced(1, text.size() - 2).toByteArray().replace("''", "'");
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.sliced(1, text.size() - 2)
            .toByteArray()
            .replace("\\\"", "\"")
            .replace("\\\\", "\\");
    }
    const qsizetype comment = text.indexOf(" #");
    return platform::trimBlanks(comment < 0 ? text : text.first(comment)).toByteArray();
}

// The game directory of a Lutris game file, which it expects to hold a line
// "  exe: /path/System/UnrealTournament.exe" (or a ut-bin-* of a System* folder); only the
// exe: lines are read.
std::optional<QByteArray> lutrisGameDir(const QByteArray& yml) {
    for (const platform::Line& line : platform::splitLines(yml).lines) {
        const QByteArrayView trimmed = platform::trimBlanks(line.text);
        if (!trimmed.startsWith("exe:")) {
            continue;
        }
        const QByteArray exe = platform::expandUserPath(yamlScalar(trimmed.sliced(4)));
        if (std::optional<QByteArray> dir =
                gameDirOfProgram(exe, {"UnrealTournament.exe", "ut-bin-*"})) {
            return dir;
        }
    }
    return std::nullopt;
}

// --- Desktop entries ---------------------------------------------------------------------

// The arguments of a desktop entry's Exec= value: the value's own escapes (\s, \n, \t, \r
// and a doubled backslash) undone, then split at blanks outside double quotes, within which
// a backslash makes the next character stand for itself.
std::vector<QByteArray> execArguments(QByteArrayView value) {
    QByteArray unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char c = value[++i];
            unescaped += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        } else {
            unescaped += value[i];
        }
    }
    std::vector<QByteArray> arguments;
    std::optional<QByteArray> current;
    bool quoted = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const char c = unescaped[i];
        if (quoted && c == '\\' && i + 1 < unescaped.size()) {
            current = current.value_or(QByteArray()) + unescaped[++i];
        } else if (c == '"') {
            quoted = !quoted;
            current = current.value_or(QByteArray());
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (current) {
                arguments.push_back(*current);
            }
            current.reset();
        } else {
            current = current.value_or(QByteArray()) + c;
        }
    }
    if (current) {
        arguments.push_back(*current);
    }
    return arguments;
}

// The game directories that a desktop entry's Exec= lines run a ut-bin-* or ucc-bin-* of a
// System* folder from; it expects lines such as
// Exec="/home/u/.local/share/OldUnreal/UnrealTournament/System64/ut-bin-amd64" %U.
std::vector<QByteArray> desktopEntryGameDirs(const QByteArray& entry) {
    std::vector<QByteArray> dirs;
    for (const platform::Line& line : platform::splitLines(entry).lines) {
        const QByteArrayView trimmed = platform::trimBlanks(line.text);
        if (!trimmed.startsWith("Exec") ||
            !platform::trimBlanks(trimmed.sliced(4)).startsWith('=')) {
            continue;
        }
        const QByteArrayView value = trimmed.sliced(trimmed.indexOf('=') + 1);
        for (const QByteArray& argument : execArguments(value)) {
            if (std::optional<QByteArray> dir =
                    gameDirOfProgram(argument, {"ut-bin-*", "ucc-bin-*"})) {
                dirs.push_back(std::move(*dir));
            }
        }
    }
    return dirs;
}

// --- The search ----------------------------------------------------------------------------

const char* launcherName(platform::Launcher launcher) {
    switch (launcher) {
        case platform::Launcher::OldUnrealInstaller:
            return "OldUnreal installer";
        case platform::Launcher::Steam:
            return "Steam";
        case platform::Launcher::Heroic:
            return "Heroic";
        case platform::Launcher::Lutris:
            return "Lutris";
        case platform::Launcher::Wine:
            return "Wine";
        case platform::Launcher::GameInstaller:
            return "game installer";
        case platform::Launcher::Gog:
            return "GOG";
        case platform::Launcher::LinuxGsm:
            break;
    }
    return "LinuxGSM";
}

class Search {
public:
    std::vector<FoundInstall> found;

    // Takes `dir` when it holds the game and no source named it before. `configs`: the
    // configuration files a server of it is started with, if known; with one, that one is
    // in effect; with several, the user must choose.
    void consider(const QByteArray& dir, const QByteArray& foundBy,
                  const std::vector<QByteArray>& configs = {}) {
        const std::optional<QByteArray> canonical =
            platform::canonicalPath(platform::resolvePath(dir).value_or(dir));
        if (!canonical || m_seen.contains(*canonical)) {
            return;
        }
        const QByteArray chosen = configs.empty() ? QByteArray() : configs.front();
        if (!isGameDirectory(dir, chosen)) {
            return;
        }
        m_seen.insert(*canonical);
        const QByteArray config =
            configs.size() > 1 ? QByteArray() : Install::locate(dir, chosen).configFile();
        found.push_back({dir, config, foundBy});
    }

    // A game directory that a launcher names: it must exist spelled so, since a lookup in
    // another letter case could read a whole home folder.
    void considerNamed(const QByteArray& dir, const QByteArray& foundBy) {
        if (platform::existsAsNamed(dir)) {
            consider(dir, foundBy);
        }
    }

    void search(const platform::GamePlace& place) {
        const QByteArray foundBy = launcherName(place.launcher);
        switch (place.kind) {
            case platform::PlaceKind::GameFolder:
                considerNamed(place.path, foundBy);
                break;
            case platform::PlaceKind::GameFolders: {
                const QByteArray parent = platform::parentPath(place.path);
                const QByteArray pattern = platform::lastName(place.path);
                for (const QByteArray& name : platform::listFolders(parent).names) {
                    if (platform::wildcardMatch(pattern, name)) {
                        considerNamed(platform::joinPath(parent, {name}), foundBy);
                    }
                }
                break;
            }
            case platform::PlaceKind::DesktopEntries:
                for (const QByteArray& name : platform::listFiles(place.path, "*.desktop").names) {
                    const QByteArray entry =
                        readLauncherFile(platform::joinPath(place.path, {name}))
                            .value_or(QByteArray());
                    for (const QByteArray& dir : desktopEntryGameDirs(entry)) {
                        considerNamed(dir, foundBy);
                    }
                }
                break;
            case platform::PlaceKind::SteamRoot:
                searchSteam(place.path, foundBy);
                break;
            case platform::PlaceKind::HeroicInstalled:
                for (const QByteArray& dir :
                     heroicInstallPaths(readLauncherFile(place.path).value_or(QByteArray()))) {
                    considerNamed(dir, foundBy);
                }
                break;
            case platform::PlaceKind::LutrisGames:
                for (const QByteArray& name : platform::listFiles(place.path, "*.yml").names) {
                    if (const std::optional<QByteArray> dir =
                            lutrisGameDir(readLauncherFile(platform::joinPath(place.path, {name}))
                                              .value_or(QByteArray()))) {
                        considerNamed(*dir, foundBy);
                    }
                }
                break;
            case platform::PlaceKind::LinuxGsmFiles:
                searchLinuxGsm(place.path, foundBy);
                break;
        }
    }

private:
    // The root is a library itself, whatever its list says; a damaged list names no more.
    void searchSteam(const QByteArray& root, const QByteArray& foundBy) {
        std::vector<QByteArray> libraries{root};
        const std::optional<QByteArray> list =
            platform::resolvePath(platform::joinPath(root, {"steamapps", "libraryfolders.vdf"}));
        if (list) {
            const std::vector<QByteArray> listed =
                steamLibraries(readLauncherFile(*list).value_or(QByteArray()));
            libraries.insert(libraries.end(), listed.begin(), listed.end());
        }
        for (const QByteArray& library : libraries) {
            // Within a library that exists, "steamapps" may be spelt as older clients did.
            if (!platform::isAbsolutePath(library) || !platform::existsAsNamed(library)) {
                continue;
            }
            if (const std::optional<QByteArray> game = platform::resolvePath(
                    platform::joinPath(library, {"steamapps", "common", "Unreal Tournament"}))) {
                consider(*game, foundBy);
            }
        }
    }

    // LinuxGSM starts each instance with the instance file named after its script (the
    // script ~/ut99server reads System64/ut99server.ini); further instances are scripts of
    // other names, each with its settings in lgsm/config-lgsm/ut99server/<name>.cfg.
    void searchLinuxGsm(const QByteArray& serverFiles, const QByteArray& foundBy) {
        const QByteArray home = platform::parentPath(serverFiles);
        std::vector<QByteArray> names{kLinuxGsmServer};
        const QByteArray instances =
            platform::joinPath(home, {"lgsm", "config-lgsm", kLinuxGsmServer});
        if (platform::existsAsNamed(instances)) {
            for (const QByteArray& file : platform::listFiles(instances, "*.cfg").names) {
                const QByteArray name = file.chopped(4);
                if (name != "_default" && name != "common" && name != kLinuxGsmServer) {
                    names.push_back(name);
                }
            }
        }
        std::vector<QByteArray> configs;
        const Install install = Install::locate(serverFiles, {});
        for (const QByteArray& name : names) {
            const QByteArray script = platform::joinPath(home, {name});
            if (!platform::existsAsNamed(script) || !platform::lookupFile(script)) {
                continue;
            }
            for (const QByteArray& folder : install.programFolders()) {
                const std::optional<platform::FoundFile> file =
                    platform::lookupFile(platform::joinPath(folder, {name + ".ini"}));
                if (file && file->storedName == name + ".ini") {
                    configs.push_back(file->path);
                    break;
                }
            }
        }
        consider(serverFiles, foundBy, configs);
    }

    QSet<QByteArray> m_seen;
};

}  // namespace

std::vector<FoundInstall> findInstalls(const QByteArray& storedDir,
                                       const QByteArray& storedConfig) {
    Search search;
    if (!storedDir.isEmpty()) {
        search.consider(storedDir, "settings",
                        storedConfig.isEmpty() ? std::vector<QByteArray>{}
                                               : std::vector<QByteArray>{storedConfig});
    }
    for (const platform::GamePlace& place : platform::gamePlaces()) {
        search.search(place);
    }
    return std::move(search.found);
}

}  // namespace rendix
