#include "maintenance/Randomizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/Failures.h"
#include "app/MapPatterns.h"
#include "maintenance/Backups.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace {

qsizetype drawIndex(qsizetype count) {
    platform::Random::reseed();
    const float r = platform::Random::draw();
    const auto index = static_cast<qsizetype>(std::floor(static_cast<double>(r) * count));
    // r < 1, so only rounding for huge counts could reach `count`.
    return std::min(index, count - 1);
}

// The index k of a key that reads "Maps[k]" in any letter case, k in decimal; nothing for
// any other key. An index too long to count is taken as past every list.
std::optional<qsizetype> mapsIndex(QByteArrayView key) {
    constexpr QByteArrayView kPrefix("maps[");
    if (key.size() < kPrefix.size() + 2 || !key.endsWith(']') ||
        !platform::equalsFolded(key.first(kPrefix.size()), kPrefix)) {
        return std::nullopt;
    }
    const QByteArrayView digits = key.sliced(kPrefix.size(), key.size() - kPrefix.size() - 1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return digits.size() > 9 ? std::numeric_limits<qsizetype>::max() : digits.toLongLong();
}

// The box of a failure in RandomizeMapList: the file still holds what it held before this
// game type, which is what it held before the run unless earlier types were randomized.
struct FailureBoxes {
    const QByteArray& iniPath;
    const QStringList& randomizedBefore;

    QString holds() const {
        return randomizedBefore.isEmpty() ? unchangedText() : keptRandomizedText(randomizedBefore);
    }
    Message listFailed(const QByteArray& folders) const {
        return randomizedBefore.isEmpty() ? listFailedMessage(folders)
                                          : listFailedMessage(folders, holds());
    }
    Message readFailed(const Result& why) const {
        return randomizedBefore.isEmpty() ? readFailedMessage(iniPath, why)
                                          : readFailedMessage(iniPath, why, holds());
    }
    Message backupFailed(const Result& why) const {
        return randomizedBefore.isEmpty() ? backupFailedMessage(iniPath, why)
                                          : backupFailedMessage(iniPath, why, holds());
    }
    Message writeFailed(const Result& why) const {
        return writeFailedMessage(iniPath, why, holds());
    }
};

}  // namespace

MapList shuffleMapList(const std::vector<QByteArray>& candidates, int slots) {
    MapList list(static_cast<std::size_t>(std::clamp(slots, 1, kMaxMapsPerList)));
    const auto count = static_cast<qsizetype>(candidates.size());
    const qsizetype filled = std::min<qsizetype>(count, static_cast<qsizetype>(list.size()));
    std::vector<bool> used(candidates.size(), false);
    for (qsizetype slot = 0; slot < filled; ++slot) {
        qsizetype index = drawIndex(count);
        while (used[static_cast<std::size_t>(index)]) {
            index = drawIndex(count);
        }
        used[static_cast<std::size_t>(index)] = true;
        list[static_cast<std::size_t>(slot)] = candidates[static_cast<std::size_t>(index)];
    }
    return list;
}

std::vector<ini::ProfileWrite> mapListWrites(const GameType& type, const MapList& list,
                                             const std::vector<QByteArray>& sectionKeys) {
    const auto owned = std::max<qsizetype>(kMapListSlots, static_cast<qsizetype>(list.size()));
    std::vector<ini::ProfileWrite> writes;
    writes.reserve(static_cast<std::size_t>(owned) + 2);
    const QByteArray section(type.mapListSection);
    for (qsizetype slot = 0; slot < owned; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        writes.push_back({section, "Maps[" + QByteArray::number(slot) + ']',
                          index < list.size() ? list[index] : std::nullopt});
    }
    for (const QByteArray& key : sectionKeys) {
        if (const std::optional<qsizetype> index = mapsIndex(key); index && *index >= owned) {
            writes.push_back({section, key, std::nullopt});
        }
    }
    const QByteArray startGame("UTMenu.UTStartGameCW");
    writes.push_back({startGame, QByteArray("Map"), list.empty() ? std::nullopt : list[0]});
    writes.push_back({startGame, QByteArray("GameType"), QByteArray(type.gameTypeValue)});
    return writes;
}

qsizetype usableMapCount(const platform::Listing& listing) {
    // A control character (a line break is legal in a Linux file name) would break the line
    // it is written into; such a file is no usable map.
    return std::count_if(listing.names.begin(), listing.names.end(), [](const QByteArray& name) {
        return !platform::holdsControlCharacter(name);
    });
}

std::vector<QByteArray> mapCandidates(const platform::Listing& listing,
                                      const ExclusionList& excludeList) {
    // A plain entry is exact and case-sensitive on purpose: the listing matched without
    // regard to case, the exclusion list names files exactly as stored. A pattern matches as
    // the listing does.
    const ExclusionMatcher excludes(excludeList);
    std::vector<QByteArray> candidates;
    candidates.reserve(listing.names.size());
    for (const QByteArray& name : listing.names) {
        if (!platform::holdsControlCharacter(name) && !excludes.excludes(name)) {
            candidates.push_back(name);
        }
    }
    return candidates;
}

RandomizeOutcome RandomizeMapList(ModMain& state, Messages& messages, const Install& install,
                                  const GameType& type, const QStringList& randomizedBefore) {
    const QByteArray& iniPath = install.configFile();
    const FailureBoxes boxes{iniPath, randomizedBefore};
    if (type.clearsStatus) {
        messages.setStatus(QString());
    }
    const platform::Listing listing = install.listMaps(type.mapPattern);
    if (!listing.ok) {
        messages.show(boxes.listFailed(install.mapFoldersText()));
        return RandomizeOutcome::Failed;
    }
    const std::vector<QByteArray> candidates = mapCandidates(listing, state.*(type.excludes));
    if (usableMapCount(listing) == 0) {
        showOk(messages,
               QStringLiteral("No ") + QLatin1String(type.code) +
                   QStringLiteral(" maps were found in ") +
                   platform::shownName(install.mapFoldersText()) + QLatin1Char('.'),
               QStringLiteral("Error"));
        return RandomizeOutcome::Unchanged;
    }

    const QString foundText = QStringLiteral("Found ") + QString::number(candidates.size()) +
                              QLatin1String(type.statusNoun);
    messages.setStatus(foundText);
    if (candidates.empty()) {
        // Writing an empty list would blank the rotation and the start map.
        messages.setStatus(foundText + QStringLiteral(" all excluded, list unchanged."));
        return RandomizeOutcome::Unchanged;
    }

    const MapList list = shuffleMapList(candidates, state.MapsPerList);

    if (!install.hasConfigFile()) {
        messages.show(noConfigFileMessage(state.UTDir));
        return RandomizeOutcome::Failed;
    }
    QByteArray bytes;
    if (const Result read = platform::readFileChecked(iniPath, bytes); !read) {
        messages.show(boxes.readFailed(read));
        return RandomizeOutcome::Failed;
    }
    if (platform::isUtf16Text(bytes)) {
        messages.show(utf16RefusedMessage(iniPath));
        return RandomizeOutcome::Failed;
    }
    if (const Result copied = BackupGameConfig(state, install); !copied) {
        messages.show(boxes.backupFailed(copied));
        return RandomizeOutcome::Failed;
    }
    // One edit in memory and one safe replace, however long the list.
    QByteArray edited = bytes;
    if (const Result applied = ini::applyProfileWrites(
            edited, mapListWrites(type, list, ini::profileKeyNames(bytes, type.mapListSection)));
        !applied) {
        messages.show(boxes.writeFailed(applied));
        return RandomizeOutcome::Failed;
    }
    if (edited != bytes) {
        if (const Result written = platform::replaceFile(iniPath, edited); !written) {
            messages.show(boxes.writeFailed(written));
            return RandomizeOutcome::Failed;
        }
    }
    messages.setStatus(messages.status() + QStringLiteral(" randomized list."));
    return RandomizeOutcome::Randomized;
}

void RandomizeCommand(ModMain& state, Messages& messages, const std::array<bool, 4>& ticked,
                      const ChangeOptions& options) {
    BusyPointer busy(messages);
    if (std::none_of(ticked.begin(), ticked.end(), [](bool tick) { return tick; })) {
        return;
    }
    const Install install = Install::of(state);
    const std::optional<platform::FileLock> lock =
        beginChange(install, messages, options, ChangeTarget::ConfigFile, unchangedText());
    if (!lock) {
        return;
    }
    QStringList randomized;
    for (std::size_t i = 0; i < kGameTypes.size(); ++i) {
        if (!ticked[i]) {
            continue;
        }
        const GameType& type = kGameTypes[i];
        switch (RandomizeMapList(state, messages, install, type, randomized)) {
            case RandomizeOutcome::Failed:
                return;
            case RandomizeOutcome::Randomized:
                randomized << QLatin1String(type.code);
                break;
            case RandomizeOutcome::Unchanged:
                break;
        }
    }
    if (std::all_of(ticked.begin(), ticked.end(), [](bool tick) { return tick; })) {
        messages.setStatus(QStringLiteral("Randomized all map lists."));
    }
}

}  // namespace rendix
