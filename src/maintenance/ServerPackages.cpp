#include "maintenance/ServerPackages.h"

#include <QSet>

#include <array>
#include <optional>
#include <vector>

#include "app/Failures.h"
#include "maintenance/Backups.h"
#include "maintenance/GameFiles.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace {

using platform::Line;
using platform::TextFile;

constexpr QByteArrayView kEntryPrefix("ServerPackages=");

// Localisation files of the game itself; their packages never get an entry of their own.
constexpr std::array<QByteArrayView, 24> kStockInts{
    "core.int",          "d3ddrv.int",  "editor.int",      "engine.int",           "galaxy.int",
    "glidedrv.int",      "ipdrv.int",   "ipserver.int",    "metaldrv.int",         "opengldrv.int",
    "setup.int",         "sgldrv.int",  "softdrv.int",     "startup.int",          "ubrowser.int",
    "umenu.int",         "unreali.int", "unrealshare.int", "unrealtournament.int", "utmenu.int",
    "utserveradmin.int", "uweb.int",    "window.int",      "windrv.int",
};

bool isEntry(const QByteArray& line) {
    // Exact case on purpose: "serverpackages=Foo" is no entry.
    return line.startsWith(kEntryPrefix);
}

// The package an entry names, lower-cased for the comparisons that ignore case.
QByteArray entryPackage(const QByteArray& line) {
    return platform::foldCase(QByteArrayView(line).sliced(kEntryPrefix.size()));
}

// A section header as the game and the profile layer read it: the first non-blank byte is "[".
bool isHeader(QByteArrayView text) {
    return platform::trimBlanks(text).startsWith('[');
}

// The first ServerPackages block: [first, end), where `end` is the line that ends it (one
// of blanks only, or a section header; entries never belong to the next section) or the
// number of lines when it runs to the end of the file.
struct Block {
    std::size_t first = 0;
    std::size_t end = 0;
};

std::optional<Block> findBlock(const std::vector<Line>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isEntry(lines[i].text)) {
            std::size_t end = i + 1;
            while (end < lines.size() && !platform::isBlankText(lines[end].text) &&
                   !isHeader(lines[end].text)) {
                ++end;
            }
            return Block{i, end};
        }
    }
    return std::nullopt;
}

// The packages the game finds, each name folded: where an entry's name is among them, the
// entry stays.
struct Present {
    QSet<QByteArray> ints;      // .int files in System and SystemLocalized/int, by package
    QSet<QByteArray> packages;  // package files (.u, .utx, .uax, .umx, .unr) in package folders
    QSet<QByteArray> maps;      // map files of the map folders: their .int is no mod's

    bool has(const QByteArray& package) const {
        return ints.contains(package) || packages.contains(package);
    }
};

// The package a file belongs to, folded, where it is a package file (.u, .utx, .uax, .umx
// or .unr); nothing for any other file.
std::optional<QByteArray> packageOfFile(QByteArrayView name) {
    for (const QByteArrayView extension : {".u", ".utx", ".uax", ".umx", ".unr"}) {
        if (name.size() > extension.size() &&
            platform::equalsFolded(name.last(extension.size()), extension)) {
            return platform::foldCase(name.first(name.size() - extension.size()));
        }
    }
    return std::nullopt;
}

// The folder that could not be listed, if any.
std::optional<QByteArray> collectPresent(const Install& install,
                                         const platform::Listing& systemInts, Present& present) {
    for (const QByteArray& name : systemInts.names) {
        present.ints.insert(platform::foldCase(QByteArrayView(name).chopped(4)));
    }
    const QByteArray localized = install.localizedIntFolder();
    const platform::Listing localizedInts = platform::listFiles(localized, "*.int");
    if (!localizedInts.ok) {
        return localized;
    }
    for (const QByteArray& name : localizedInts.names) {
        present.ints.insert(platform::foldCase(QByteArrayView(name).chopped(4)));
    }
    for (const SearchFolder& folder : install.packageFolders()) {
        const platform::Listing files = platform::listFiles(folder.folder, "*");
        if (!files.ok) {
            return folder.folder;
        }
        for (const QByteArray& name : files.names) {
            if (std::optional<QByteArray> package = packageOfFile(name)) {
                present.packages.insert(std::move(*package));
            }
        }
    }
    const platform::Listing maps = install.listMaps("*.unr");
    if (!maps.ok) {
        return install.mapFoldersText();
    }
    for (const QByteArray& name : maps.names) {
        present.maps.insert(platform::foldCase(QByteArrayView(name).chopped(4)));
    }
    return std::nullopt;
}

struct Removal {
    TextFile file;
    qsizetype removed = 0;
    // Where new entries go: the position of the line that ended the block, once the
    // removed entries are gone. Nothing when the file has no block.
    std::optional<std::size_t> insertAt;
};

Removal removeEntries(const TextFile& original, const Present& present) {
    Removal result;
    result.file.bom = original.bom;
    const std::optional<Block> block = findBlock(original.lines);
    if (!block) {
        result.file.lines = original.lines;
        return result;
    }
    const platform::LineEnd lineEnd = platform::fileLineEnd(original);
    result.file.lines.reserve(original.lines.size());
    for (std::size_t i = 0; i < original.lines.size(); ++i) {
        const Line& line = original.lines[i];
        const bool inBlock = i >= block->first && i < block->end;
        if (inBlock && isEntry(line.text) && !present.has(entryPackage(line.text))) {
            ++result.removed;
            continue;
        }
        if (i == block->end) {
            result.insertAt = result.file.lines.size();
        }
        result.file.lines.push_back(line);
        // The block's lines are the ones this rewrite writes: they take the file's
        // terminator, as every line Rendix writes. The file's last line keeps having none
        // until a line follows it.
        if (inBlock && line.end != platform::LineEnd::None) {
            result.file.lines.back().end = lineEnd;
        }
    }
    if (!result.insertAt) {
        result.insertAt = result.file.lines.size();
    }
    return result;
}

// The packages that already have an entry: those of the first block as it stood before
// anything was removed.
QSet<QByteArray> collectEntries(const TextFile& original) {
    QSet<QByteArray> entries;
    if (const std::optional<Block> block = findBlock(original.lines)) {
        for (std::size_t i = block->first; i < block->end; ++i) {
            if (isEntry(original.lines[i].text)) {
                entries.insert(entryPackage(original.lines[i].text));
            }
        }
    }
    return entries;
}

// New entry lines for the .int files without an entry, in listing order. The game's own
// files and the .int files of maps get none: the game sends those by itself.
std::vector<QByteArray> searchAdditions(const std::vector<QByteArray>& intFiles,
                                        QSet<QByteArray> entries, const Present& present) {
    std::vector<QByteArray> additions;
    for (const QByteArray& name : intFiles) {
        if (platform::holdsControlCharacter(name)) {
            continue;  // would inject a line into the file
        }
        const QByteArray lower = name.toLower();
        QByteArray package = lower.chopped(4);
        if (std::find(kStockInts.begin(), kStockInts.end(), lower) != kStockInts.end() ||
            isGamePackage(package) || present.maps.contains(package)) {
            continue;
        }
        // Inserting into `entries` also keeps "Foo.int" and "FOO.INT" from giving two entries.
        if (!entries.contains(package)) {
            entries.insert(package);
            additions.push_back(kEntryPrefix.toByteArray() + package);
        }
    }
    return additions;
}

// The name of a section header line as the INI layer reads it, or nothing.
std::optional<QByteArrayView> headerName(QByteArrayView text) {
    const QByteArrayView trimmed = platform::trimBlanks(text);
    if (!trimmed.startsWith('[')) {
        return std::nullopt;
    }
    QByteArrayView name = trimmed.sliced(1);
    if (const qsizetype close = name.indexOf(']'); close >= 0) {
        name = name.first(close);
    }
    return platform::trimBlanks(name);
}

// Where entries go in a file without a block: after the last non-blank line of the first
// [Engine.GameEngine] section, which is added at the end of the file when missing.
std::size_t engineSectionEnd(TextFile& file, platform::LineEnd lineEnd) {
    std::vector<Line>& lines = file.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::optional<QByteArrayView> name = headerName(lines[i].text);
        if (!name || !platform::equalsFolded(*name, "Engine.GameEngine")) {
            continue;
        }
        std::size_t last = i;
        for (std::size_t j = i + 1; j < lines.size() && !headerName(lines[j].text); ++j) {
            if (!platform::isBlankText(lines[j].text)) {
                last = j;
            }
        }
        return last + 1;
    }
    if (!lines.empty()) {
        if (lines.back().end == platform::LineEnd::None) {
            lines.back().end = lineEnd;
        }
        if (!platform::isBlankText(lines.back().text)) {
            lines.push_back({QByteArray(), lineEnd});
        }
    }
    lines.push_back({QByteArrayLiteral("[Engine.GameEngine]"), lineEnd});
    return lines.size();
}

void insertEntries(TextFile& file, std::optional<std::size_t> insertAt,
                   const std::vector<QByteArray>& additions) {
    const platform::LineEnd lineEnd = platform::fileLineEnd(file);
    const std::size_t at = insertAt ? *insertAt : engineSectionEnd(file, lineEnd);
    std::vector<Line>& lines = file.lines;
    // The last line of a file may lack a terminator; a line after it needs one.
    if (at > 0 && lines[at - 1].end == platform::LineEnd::None) {
        lines[at - 1].end = lineEnd;
    }
    std::vector<Line> added;
    added.reserve(additions.size());
    for (const QByteArray& text : additions) {
        added.push_back({text, lineEnd});
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

}  // namespace

void ServerPackagesCommand(ModMain& state, Messages& messages, const ChangeOptions& options) {
    BusyPointer busy(messages);
    UpdateServerPackages(state, messages, options);
}

void UpdateServerPackages(ModMain& state, Messages& messages, const ChangeOptions& options) {
    const Install install = Install::of(state);
    if (!install.hasConfigFile()) {
        messages.show(noConfigFileMessage(state.UTDir));
        return;
    }
    const std::optional<platform::FileLock> lock =
        beginChange(install, messages, options, ChangeTarget::ConfigFile, unchangedText());
    if (!lock) {
        return;
    }
    const QByteArray folder = install.systemFolder();
    const QByteArray& iniPath = install.configFile();
    // Listed first: without the lists every entry would look orphaned.
    const platform::Listing ints = platform::listFiles(folder, "*.int");
    if (!ints.ok) {
        messages.show(listFailedMessage(folder));
        return;
    }
    Present present;
    if (const std::optional<QByteArray> unlisted = collectPresent(install, ints, present)) {
        messages.show(listFailedMessage(*unlisted));
        return;
    }
    QByteArray current;
    if (const Result read = platform::readFileChecked(iniPath, current); !read) {
        messages.show(readFailedMessage(iniPath, read));
        return;
    }
    if (platform::isUtf16Text(current)) {
        messages.show(utf16RefusedMessage(iniPath));
        return;
    }

    // The rewrite starts from the backup's bytes, so the backup holds exactly what the
    // file held before it.
    if (const Result copied = BackupGameConfig(state, install); !copied) {
        messages.show(backupFailedMessage(iniPath, copied));
        return;
    }
    QByteArray backup;
    if (const Result read = platform::readFileChecked(state.LastBackup, backup); !read) {
        messages.show(readFailedMessage(state.LastBackup, read));
        return;
    }
    const TextFile original = platform::splitLines(backup);

    Removal removal = removeEntries(original, present);
    if (const Result written = platform::replaceFile(iniPath, platform::joinLines(removal.file));
        !written) {
        messages.show(writeFailedMessage(iniPath, written));
        return;
    }
    messages.setStatus(removal.removed != 0
                           ? QStringLiteral("Removed ") + QString::number(removal.removed) +
                                 QStringLiteral(" serverpackages entries...")
                           : QStringLiteral("No serverpackages removed..."));

    const std::vector<QByteArray> additions =
        searchAdditions(ints.names, collectEntries(original), present);
    if (additions.empty()) {
        messages.setStatus(messages.status() + QStringLiteral(" No serverpackages added."));
        return;
    }
    // From here on the file keeps what the remove step did, and the boxes say so.
    const QString kept = keptRemovalText(removal.removed);
    if (const Result copied = BackupGameConfig(state, install); !copied) {
        messages.show(backupFailedMessage(iniPath, copied, kept));
        return;
    }
    insertEntries(removal.file, removal.insertAt, additions);
    if (const Result written = platform::replaceFile(iniPath, platform::joinLines(removal.file));
        !written) {
        messages.show(writeFailedMessage(iniPath, written, kept));
        return;
    }
    messages.setStatus(messages.status() + QStringLiteral(" Added ") +
                       QString::number(additions.size()) +
                       QStringLiteral(" serverpackages entries."));
}

}  // namespace rendix
