#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <vector>

#include "app/ModMain.h"
#include "platform/Paths.h"
#include "platform/Result.h"

namespace rendix {

// A folder that a Paths= line of the game's configuration names, with the file pattern of
// that line ("../Maps/*.unr" gives <UTDir>/Maps and "*.unr").
struct SearchFolder {
    QByteArray folder;   // resolved where it exists, otherwise as the line names it
    QByteArray pattern;  // the line's last part, "*.unr"

    friend bool operator==(const SearchFolder&, const SearchFolder&) = default;
};

// The one place that knows the layout of a game install: the game directory (maps and
// packages) and the configuration file in effect, which may lie in System, System64,
// SystemARM64 or a per-user folder. Whatever needs a path of the install asks it instead of
// joining path pieces, so that every message names the file actually used.
//
// A value: built by locate() from the game directory and the chosen configuration file,
// reading that file once for its Paths= lines. Build it anew for each command, since the
// user may change the files in between.
class Install {
public:
    // The configuration files a game of `utDir` may read, existing ones only, in this order:
    // <utDir>/System/UnrealTournament.ini, <utDir>/System64/..., <utDir>/SystemARM64/...,
    // then the per-user copy of patch 469, ~/.utpg/System/UnrealTournament.ini.
    // Folders are found in any letter case; the file must be stored exactly as
    // "UnrealTournament.ini", as the game opens it. Paths come resolved.
    static std::vector<QByteArray> configCandidates(const QByteArray& utDir);

    // The install of `utDir`. The configuration file in effect is `chosenConfig` (the
    // ConfigFile key) when that names a plain file; otherwise the only candidate; with
    // several candidates and none chosen there is none, and needsChoice() says so.
    static Install locate(const QByteArray& utDir, const QByteArray& chosenConfig);
    static Install of(const ModMain& state) { return locate(state.UTDir, state.ConfigFile); }

    const QByteArray& gameDir() const { return m_gameDir; }
    // The configuration file in effect, resolved; empty when there is none.
    const QByteArray& configFile() const { return m_configFile; }
    bool hasConfigFile() const { return !m_configFile.isEmpty(); }
    // The configuration file's bytes as locate() read them, so that a reader of the whole
    // file needs no second read; empty when there is none or it could not be read, and
    // configRead() then says why (Problem::Missing without a configuration file).
    const QByteArray& configContent() const { return m_configContent; }
    const Result& configRead() const { return m_configRead; }
    // Several candidates exist and none is chosen: the user has to pick one.
    bool needsChoice() const { return m_needsChoice; }
    const std::vector<QByteArray>& candidates() const { return m_candidates; }

    // The folder that holds the configuration file; its backups go there. Where the file is
    // a symbolic link that a rewrite follows (into a container's data volume, say), the folder
    // of the file it leads to, where the file's lock and temporary files go too.
    QByteArray configFolder() const;
    // <UTDir>/System, resolved where it exists: where mods put their .int files, and the
    // folder the game's relative paths start from.
    QByteArray systemFolder() const;
    // <UTDir>/SystemLocalized/int: the game's own .int files from patch 469c on.
    QByteArray localizedIntFolder() const;
    // The folders of System, System64 and SystemARM64 that exist, resolved: a running game
    // or server of this install has its executable in one of them.
    std::vector<QByteArray> programFolders() const;

    // The folders the game finds maps in: each folder a Paths= line of [Core.System] names
    // with a *.unr pattern, in the file's order, each once; <UTDir>/Maps when there is no
    // such line (or no configuration file). Both "/" and "\" separate a line's parts, and a
    // relative line starts at <UTDir>/System, so "../Maps" is <UTDir>/Maps for every build.
    const std::vector<SearchFolder>& mapFolders() const { return m_mapFolders; }
    // The folders of every Paths= line of [Core.System], each once; System, Maps, Textures,
    // Sounds and Music when there is none.
    const std::vector<SearchFolder>& packageFolders() const { return m_packageFolders; }
    // The map folders as messages name them: joined by ", ", each as mapFolders() has it
    // (so under the name the disk stores where it exists).
    QByteArray mapFoldersText() const;

    // The map files of every map folder whose names match `typePattern` ("dm*.unr") and the
    // folder's own pattern, each name once (compared without regard to case; the first
    // folder's spelling wins), in listing order. ok is false when a folder that exists
    // could not be listed. Each map folder is read once for the life of this value (a folder
    // of thousands of maps takes a while to read), so build a new Install to see new files.
    platform::Listing listMaps(QByteArrayView typePattern) const;
    // A plain file named `name` in one of the map folders (the first that has one).
    std::optional<platform::FoundFile> findMap(const QByteArray& name) const;

private:
    QByteArray m_gameDir;
    QByteArray m_configFile;
    QByteArray m_configContent;
    Result m_configRead;
    bool m_needsChoice = false;
    std::vector<QByteArray> m_candidates;
    std::vector<SearchFolder> m_mapFolders;
    std::vector<SearchFolder> m_packageFolders;
    // The files of each map folder that match its pattern, listed on first use.
    mutable std::vector<std::optional<platform::Listing>> m_mapListings;
};

// The game directory test: accepts `dir` when its System folder (any letter case) holds a
// plain file stored exactly as "UnrealTournament.ini" (a lone "unrealtournament.ini"
// fails), and also when it holds a System, System64 or SystemARM64 folder and a
// configuration file is chosen (`chosenConfig` names a plain file) or found among the
// candidates. An empty `dir` looks at "/System".
bool isGameDirectory(const QByteArray& dir, const QByteArray& chosenConfig = {});

// A folder that the game directory test of `dir` must look into but cannot: `dir` itself, or
// the first of its System, System64 and SystemARM64 folders whose entries cannot be read
// (platform::folderReadable), with the system's reason in `why`. Nothing when each can be.
std::optional<QByteArray> unreadableGameFolder(const QByteArray& dir, QString& why);

}  // namespace rendix
