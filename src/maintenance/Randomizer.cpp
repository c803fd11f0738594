#include "maintenance/Randomizer.h"

#include <QFile>

#include <algorithm>
#include <cmath>

#include "app/Failures.h"
#include "app/Install.h"
#include "maintenance/Backups.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace rendix {

namespace {

bool isExcluded(const ExclusionList& excludes, const QByteArray& name) {
    // Exact and case-sensitive on purpose: the listing matched without regard to case, the
    // exclusion list names files exactly as stored.
    return std::find(excludes.begin(), excludes.end(), name) != excludes.end();
}

qsizetype drawIndex(qsizetype count) {
    platform::Random::reseed();
    const float r = platform::Random::draw();
    const auto index = static_cast<qsizetype>(std::floor(static_cast<double>(r) * count));
    // r < 1, so only rounding for huge counts could reach `count`.
    return std::min(index, count - 1);
}

}  // namespace

MapList shuffleMapList(const std::vector<QByteArray>& candidates) {
    MapList list;
    const auto count = static_cast<qsizetype>(candidates.size());
    const qsizetype slots = std::min<qsizetype>(count, kMapListSlots);
    std::vector<bool> used(candidates.size(), false);
    for (qsizetype slot = 0; slot < slots; ++slot) {
        qsizetype index = drawIndex(count);
        while (used[static_cast<std::size_t>(index)]) {
            index = drawIndex(count);
        }
        used[static_cast<std::size_t>(index)] = true;
        list[static_cast<std::size_t>(slot)] = candidates[static_cast<std::size_t>(index)];
    }
    return list;
}

std::vector<ini::ProfileWrite> mapListWrites(const GameType& type, const MapList& list) {
    std::vector<ini::ProfileWrite> writes;
    writes.reserve(kMapListSlots + 2);
    const QByteArray section(type.mapListSection);
    for (int slot = 0; slot < kMapListSlots; ++slot) {
        writes.push_back({section, "Maps[" + QByteArray::number(slot) + ']',
                          list[static_cast<std::size_t>(slot)]});
    }
    const QByteArray startGame("UTMenu.UTStartGameCW");
    writes.push_back({startGame, QByteArray("Map"), list[0]});
    writes.push_back({startGame, QByteArray("GameType"), QByteArray(type.gameTypeValue)});
    return writes;
}

bool RandomizeMapList(ModMain& state, Messages& messages, const GameType& type) {
    if (type.clearsStatus) {
        messages.setStatus(QString());
    }
    const Install install = Install::of(state);
    const platform::Listing listing = install.listMaps(type.mapPattern);
    if (!listing.ok) {
        messages.show(listFailedMessage(install.mapFoldersText()));
        return false;
    }
    std::vector<QByteArray> files;
    files.reserve(listing.names.size());
    for (const QByteArray& name : listing.names) {
        // A control character (a line break is legal in a Linux file name) would break the
        // line it is written into; such a file is no usable map.
        if (!platform::holdsControlCharacter(name)) {
            files.push_back(name);
        }
    }
    if (files.empty()) {
        showOk(messages,
               QStringLiteral("No ") + QLatin1String(type.code) +
                   QStringLiteral(" maps were found in ") +
                   QFile::decodeName(install.mapFoldersText()) + QLatin1Char('.'),
               QStringLiteral("Error"));
        return true;
    }

    const ExclusionList& excludes = state.*(type.excludes);
    std::vector<QByteArray> candidates;
    candidates.reserve(files.size());
    for (QByteArray& name : files) {
        if (!isExcluded(excludes, name)) {
            candidates.push_back(std::move(name));
        }
    }
    const QString foundText = QStringLiteral("Found ") + QString::number(candidates.size()) +
                              QLatin1String(type.statusNoun);
    messages.setStatus(foundText);
    if (candidates.empty()) {
        // Writing an empty list would blank the rotation and the start map.
        messages.setStatus(foundText + QStringLiteral(" all excluded, list unchanged."));
        return true;
    }

    const MapList list = shuffleMapList(candidates);

    if (!install.hasConfigFile()) {
        messages.show(noConfigFileMessage(state.UTDir));
        return false;
    }
    const QByteArray& iniPath = install.configFile();
    const std::optional<platform::FoundFile> found = platform::lookupFile(iniPath);
    const std::optional<QByteArray> current =
        found ? platform::readFile(found->path) : std::nullopt;
    if (!current) {
        messages.show(backupFailedMessage(iniPath));
        return false;
    }
    if (platform::isUtf16Text(*current)) {
        messages.show(utf16RefusedMessage(iniPath));
        return false;
    }
    if (!BackupGameConfig(state, install)) {
        messages.show(backupFailedMessage(iniPath));
        return false;
    }
    if (!ini::writeProfileStrings(iniPath, mapListWrites(type, list))) {
        messages.show(writeFailedMessage(iniPath));
        return false;
    }
    messages.setStatus(messages.status() + QStringLiteral(" randomized list."));
    return true;
}

void RandomizeCommand(ModMain& state, Messages& messages, const std::array<bool, 4>& ticked) {
    BusyPointer busy(messages);
    for (std::size_t i = 0; i < kGameTypes.size(); ++i) {
        if (ticked[i] && !RandomizeMapList(state, messages, kGameTypes[i])) {
            return;
        }
    }
    if (std::all_of(ticked.begin(), ticked.end(), [](bool tick) { return tick; })) {
        messages.setStatus(QStringLiteral("Randomized all map lists."));
    }
}

}  // namespace rendix
