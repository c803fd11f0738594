#include "maintenance/ConfigCheckParts.h"

#include <algorithm>

#include "ini/LineScan.h"

namespace rendix::configcheck {

namespace {

bool endsWithMapExtension(QByteArrayView name) {
    return name.size() > 4 && platform::equalsFolded(name.last(4), ".unr");
}

// The file a map list names: the game adds ".unr" to a name without it.
QByteArray mapFileName(const QByteArray& value) {
    return endsWithMapExtension(value) ? value : value + ".unr";
}

bool holdsMap(const Folders& folders, const QByteArray& value) {
    return folders.holdsMap(mapFileName(value));
}

const KeyAt* firstKey(const std::vector<KeyAt>& keys, QByteArrayView name) {
    const auto key = std::find_if(keys.begin(), keys.end(), [&](const KeyAt& k) {
        return platform::equalsFolded(k.name, name);
    });
    return key == keys.end() ? nullptr : &*key;
}

QString entryName(const GameType& type, qsizetype k) {
    return QStringLiteral("Maps[") + QString::number(k) + QStringLiteral("] of [") +
           QLatin1String(type.mapListSection) + QLatin1Char(']');
}

void mapEntry(const GameType& type, qsizetype k, const KeyAt& key, const Folders& folders,
              FindingList& list) {
    const QString entry = QStringLiteral("Maps[") + QString::number(k) + QStringLiteral("]=") +
                          shown(key.value) + QStringLiteral(" of [") +
                          QLatin1String(type.mapListSection) + QLatin1Char(']');
    if (!endsWithMapExtension(key.value)) {
        Finding& bare =
            list.add(finding::kMapWithoutExtension, key.line,
                     entry +
                         QStringLiteral(" has no .unr: the rotation does not recognise it as the "
                                        "current map and starts over from Maps[0]. Write it as ") +
                         shown(mapFileName(key.value)) + QLatin1Char('.'));
        bare.gameType = &type;
        FindingList::setFix(bare, true, QStringLiteral(" Randomize writes every name with .unr."));
    }
    if (!holdsMap(folders, key.value)) {
        Finding& missing = list.add(
            finding::kMissingMap, key.line,
            entry + QStringLiteral(": no map folder holds ") + shown(mapFileName(key.value)) +
                QStringLiteral(", so the server cannot switch to it when the rotation gets "
                               "there. Install the map, or take it off the list."));
        missing.gameType = &type;
        FindingList::setFix(missing, true,
                            QStringLiteral(" Randomize makes a list of the maps that are there."));
    }
}

void gap(const GameType& type, const std::vector<const KeyAt*>& slots, qsizetype last,
         FindingList& list) {
    const auto filled = [&](qsizetype k) {
        const KeyAt* key = slots[static_cast<std::size_t>(k)];
        return key && !key->value.isEmpty();
    };
    qsizetype k = 0;
    while (k < last && filled(k)) {
        ++k;
    }
    if (k >= last) {
        return;
    }
    qsizetype after = 0;
    qsizetype nextLine = 0;
    for (qsizetype j = last; j > k; --j) {
        if (filled(j)) {
            ++after;
            nextLine = slots[static_cast<std::size_t>(j)]->line;
        }
    }
    const KeyAt* empty = slots[static_cast<std::size_t>(k)];
    Finding& found = list.add(
        finding::kMapListGap, empty ? empty->line : nextLine,
        entryName(type, k) + (empty ? QStringLiteral(" is empty") : QStringLiteral(" is missing")) +
            QStringLiteral(": the rotation goes back to Maps[0] there, so ") +
            (after == 1 ? QStringLiteral("the map after it never plays.")
                        : QStringLiteral("the ") + QString::number(after) +
                              QStringLiteral(" maps after it never play.")) +
            QStringLiteral(" Move them up to close the gap."));
    found.gameType = &type;
    FindingList::setFix(found, true, QStringLiteral(" Randomize writes the list without gaps."));
}

}  // namespace

void checkMapLists(const ConfigKeys& keys, const Folders& folders, FindingList& list) {
    for (std::size_t t = 0; t < kGameTypes.size(); ++t) {
        const GameType& type = kGameTypes[t];
        std::vector<const KeyAt*> slots(kMaxMapsPerList, nullptr);
        qsizetype last = -1;
        for (const KeyAt& key : keys.mapLists[t]) {
            const qsizetype k = ini::listIndex(key.name, "Maps[", kMaxMapsPerList);
            if (k < 0 || slots[static_cast<std::size_t>(k)]) {
                continue;
            }
            slots[static_cast<std::size_t>(k)] = &key;
            if (!key.value.isEmpty()) {
                last = std::max(last, k);
                mapEntry(type, k, key, folders, list);
            }
        }
        gap(type, slots, last, list);
    }
}

void checkStartGameMap(const ConfigKeys& keys, const Folders& folders, FindingList& list) {
    const KeyAt* map = firstKey(keys.startGame, "Map");
    if (!map || map->value.isEmpty() || holdsMap(folders, map->value)) {
        return;
    }
    const KeyAt* gameType = firstKey(keys.startGame, "GameType");
    const auto type = std::find_if(kGameTypes.begin(), kGameTypes.end(), [&](const GameType& t) {
        return gameType && platform::equalsFolded(gameType->value, t.gameTypeValue);
    });
    Finding& missing =
        list.add(finding::kMissingMap, map->line,
                 QStringLiteral("Map=") + shown(map->value) + QStringLiteral(" of [") +
                     shown(kStartGameSection) + QStringLiteral("]: no map folder holds ") +
                     shown(mapFileName(map->value)) +
                     QStringLiteral(", so the start-game menu offers a map that cannot be "
                                    "loaded. Install the map, or choose another."));
    // Randomizing another game type would change the menu's game type as well.
    if (type != kGameTypes.end()) {
        missing.gameType = &*type;
        FindingList::setFix(missing, true,
                            QStringLiteral(" Randomize sets it to the first map of the new list."));
    }
}

}  // namespace rendix::configcheck
