#include "maintenance/ServerPackages.h"

#include <QSet>

#include <optional>
#include <vector>

#include "app/Failures.h"
#include "ini/Profile.h"
#include "maintenance/Backups.h"
#include "maintenance/GameFiles.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace {

constexpr QByteArrayView kEntryPrefix("ServerPackages=");

// The package an entry line names, as spelled: the rest of a line that begins with
// "ServerPackages=". Exact case on purpose: "serverpackages=Foo" is no entry.
std::optional<QByteArrayView> entryPackage(QByteArrayView line) {
    if (!line.startsWith(kEntryPrefix)) {
        return std::nullopt;
    }
    return line.sliced(kEntryPrefix.size());
}

// The first ServerPackages block: the bytes [begin, end) of its lines, from its first entry
// up to the line that ends it (one of blanks only, or a section header; entries never
// belong to the next section) or the end of the file.
struct Block {
    qsizetype begin = 0;
    qsizetype end = 0;
};

std::optional<Block> findBlock(QByteArrayView bytes) {
    for (ini::LineScan scan(bytes); scan.next();) {
        if (!entryPackage(scan.text())) {
            continue;
        }
        Block block{scan.line().start, bytes.size()};
        while (scan.next()) {
            if (platform::isBlankText(scan.text()) || ini::headerName(scan.text())) {
                block.end = scan.line().start;
                break;
            }
        }
        return block;
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
    QByteArray bytes;
    qsizetype removed = 0;
    // The packages that already have an entry: those of the block as it stood before
    // anything was removed, folded.
    QSet<QByteArray> entries;
    // Where new entries go: the start of the line that ended the block, once the removed
    // entries are gone. Nothing when the file has no block.
    std::optional<qsizetype> insertAt;
};

Removal removeEntries(const QByteArray& original, const Present& present) {
    Removal result;
    const std::optional<Block> block = findBlock(original);
    if (!block) {
        result.bytes = original;
        return result;
    }
    const QByteArrayView lineEnd = ini::addedLineEnd(original);
    result.bytes.reserve(original.size());
    result.bytes.append(original.constData(), block->begin);
    for (ini::LineScan scan(original, block->begin, block->end); scan.next();) {
        const QByteArrayView text = scan.text();
        if (const std::optional<QByteArrayView> package = entryPackage(text)) {
            QByteArray folded = platform::foldCase(*package);
            const bool stays = present.has(folded);
            result.entries.insert(std::move(folded));
            if (!stays) {
                ++result.removed;
                continue;
            }
        }
        // The block's lines are the ones this rewrite writes: they take the file's
        // terminator, as every line Rendix writes. The file's last line keeps having none
        // until a line follows it.
        result.bytes.append(text);
        if (scan.line().terminated()) {
            result.bytes.append(lineEnd);
        }
    }
    result.insertAt = result.bytes.size();
    result.bytes.append(original.constData() + block->end, original.size() - block->end);
    return result;
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
        if (isGamePackage(package) || present.maps.contains(package)) {
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

}  // namespace

std::vector<QByteArray> serverPackagesEntries(QByteArrayView content) {
    std::vector<QByteArray> packages;
    for (ini::LineScan scan(content); scan.next();) {
        if (const std::optional<QByteArrayView> package = entryPackage(scan.text())) {
            packages.push_back(package->toByteArray());
        }
    }
    return packages;
}

std::vector<qsizetype> serverPackagesBlockLines(QByteArrayView content) {
    std::vector<qsizetype> lines;
    const std::optional<Block> block = findBlock(content);
    if (!block) {
        return lines;
    }
    for (ini::LineScan scan(content); scan.next() && scan.line().start < block->end;) {
        if (scan.line().start >= block->begin && entryPackage(scan.text())) {
            lines.push_back(scan.number());
        }
    }
    return lines;
}

std::optional<QByteArray> packageOfFile(QByteArrayView name) {
    for (const QByteArrayView extension : {".u", ".utx", ".uax", ".umx", ".unr"}) {
        if (name.size() > extension.size() &&
            platform::equalsFolded(name.last(extension.size()), extension)) {
            return platform::foldCase(name.first(name.size() - extension.size()));
        }
    }
    return std::nullopt;
}

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
    Removal removal = removeEntries(backup, present);
    if (const Result written = platform::replaceFile(iniPath, removal.bytes); !written) {
        messages.show(writeFailedMessage(iniPath, written));
        return;
    }
    messages.setStatus(removal.removed != 0
                           ? QStringLiteral("Removed ") + QString::number(removal.removed) +
                                 QStringLiteral(" serverpackages entries...")
                           : QStringLiteral("No serverpackages removed..."));

    const std::vector<QByteArray> additions =
        searchAdditions(ints.names, std::move(removal.entries), present);
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
    // Without a block the entries start one in the section where the game reads them.
    if (removal.insertAt) {
        ini::insertLines(removal.bytes, *removal.insertAt, additions);
    } else {
        ini::addSectionLines(removal.bytes, "Engine.GameEngine", additions);
    }
    if (const Result written = platform::replaceFile(iniPath, removal.bytes); !written) {
        messages.show(writeFailedMessage(iniPath, written, kept));
        return;
    }
    messages.setStatus(messages.status() + QStringLiteral(" Added ") +
                       QString::number(additions.size()) +
                       QStringLiteral(" serverpackages entries."));
}

}  // namespace rendix
