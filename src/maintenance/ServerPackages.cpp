#include "maintenance/ServerPackages.h"

#include <QSet>

#include <array>
#include <optional>
#include <vector>

#include "app/Failures.h"
#include "maintenance/Backups.h"
#include "platform/FileSystem.h"
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
    return line.mid(kEntryPrefix.size()).toLower();
}

// The first ServerPackages block: [first, end), where `end` is the empty line that ends it
// or the number of lines when it runs to the end of the file.
struct Block {
    std::size_t first = 0;
    std::size_t end = 0;
};

std::optional<Block> findBlock(const std::vector<Line>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isEntry(lines[i].text)) {
            std::size_t end = i + 1;
            while (end < lines.size() && !lines[end].text.isEmpty()) {
                ++end;
            }
            return Block{i, end};
        }
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

// `presentInts` holds the lower-cased names of the .int files that exist.
Removal removeEntries(const TextFile& original, const QSet<QByteArray>& presentInts) {
    Removal result;
    result.file.bom = original.bom;
    const std::optional<Block> block = findBlock(original.lines);
    if (!block) {
        result.file.lines = original.lines;
        return result;
    }
    result.file.lines.reserve(original.lines.size());
    for (std::size_t i = 0; i < original.lines.size(); ++i) {
        const Line& line = original.lines[i];
        if (i >= block->first && i < block->end && isEntry(line.text) &&
            !presentInts.contains(entryPackage(line.text) + ".int")) {
            ++result.removed;
            continue;
        }
        if (i == block->end) {
            result.insertAt = result.file.lines.size();
        }
        result.file.lines.push_back(line);
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

// New entry lines for the .int files without an entry, in listing order.
std::vector<QByteArray> searchAdditions(const std::vector<QByteArray>& intFiles,
                                        QSet<QByteArray> entries) {
    std::vector<QByteArray> additions;
    for (const QByteArray& name : intFiles) {
        if (platform::holdsControlCharacter(name)) {
            continue;  // would inject a line into the file
        }
        const QByteArray lower = name.toLower();
        if (std::find(kStockInts.begin(), kStockInts.end(), lower) != kStockInts.end()) {
            continue;
        }
        QByteArray package = lower.chopped(4);
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
    const QByteArrayView trimmed = text.trimmed();
    if (!trimmed.startsWith('[')) {
        return std::nullopt;
    }
    QByteArrayView name = trimmed.sliced(1);
    if (const qsizetype close = name.indexOf(']'); close >= 0) {
        name = name.first(close);
    }
    return name.trimmed();
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

void ServerPackagesCommand(ModMain& state, Messages& messages) {
    BusyPointer busy(messages);
    UpdateServerPackages(state, messages);
}

void UpdateServerPackages(ModMain& state, Messages& messages) {
    const Install install = Install::of(state);
    if (!install.hasConfigFile()) {
        messages.show(noConfigFileMessage(state.UTDir));
        return;
    }
    const QByteArray folder = install.systemFolder();
    const QByteArray& iniPath = install.configFile();
    // Listed first: without the list every entry would look orphaned.
    const platform::Listing ints = platform::listFiles(folder, "*.int");
    if (!ints.ok) {
        messages.show(listFailedMessage(folder));
        return;
    }
    const std::optional<platform::FoundFile> ini = platform::lookupFile(iniPath);
    const std::optional<QByteArray> current = ini ? platform::readFile(ini->path) : std::nullopt;
    if (!current) {
        messages.show(backupFailedMessage(iniPath));
        return;
    }
    if (platform::isUtf16Text(*current)) {
        messages.show(utf16RefusedMessage(iniPath));
        return;
    }

    // The rewrite starts from the backup's bytes, so the backup holds exactly what the
    // file held before it.
    if (!BackupGameConfig(state, install)) {
        messages.show(backupFailedMessage(iniPath));
        return;
    }
    const std::optional<QByteArray> backup = platform::readFile(state.LastBackup);
    if (!backup) {
        messages.show(backupFailedMessage(iniPath));
        return;
    }
    const TextFile original = platform::splitLines(*backup);

    QSet<QByteArray> presentInts;
    presentInts.reserve(static_cast<qsizetype>(ints.names.size()));
    for (const QByteArray& name : ints.names) {
        presentInts.insert(name.toLower());
    }
    Removal removal = removeEntries(original, presentInts);
    if (!platform::replaceFile(ini->path, platform::joinLines(removal.file))) {
        messages.show(writeFailedMessage(iniPath));
        return;
    }
    messages.setStatus(removal.removed != 0
                           ? QStringLiteral("Removed ") + QString::number(removal.removed) +
                                 QStringLiteral(" serverpackages entries...")
                           : QStringLiteral("No serverpackages removed..."));

    const std::vector<QByteArray> additions = searchAdditions(ints.names, collectEntries(original));
    if (additions.empty()) {
        messages.setStatus(messages.status() + QStringLiteral(" No serverpackages added."));
        return;
    }
    if (!BackupGameConfig(state, install)) {
        messages.show(backupFailedMessage(iniPath));
        return;
    }
    insertEntries(removal.file, removal.insertAt, additions);
    if (!platform::replaceFile(ini->path, platform::joinLines(removal.file))) {
        messages.show(writeFailedMessage(iniPath));
        return;
    }
    messages.setStatus(messages.status() + QStringLiteral(" Added ") +
                       QString::number(additions.size()) +
                       QStringLiteral(" serverpackages entries."));
}

}  // namespace rendix
