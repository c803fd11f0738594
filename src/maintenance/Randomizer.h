#pragma once

#include <QByteArray>

#include <array>
#include <optional>
#include <vector>

#include "app/GameTypes.h"
#include "app/ModMain.h"
#include "ini/Profile.h"
#include "platform/Messages.h"

namespace rendix {

// The command of cmdRandomize, with the busy pointer: runs RandomizeMapList for each ticked
// game type (indexed as kGameTypes) in the order DM, CTF, DOM, AS, and sets the status line
// to "Randomized all map lists." when all four are ticked and none failed. Stops at the
// first game type whose backup or write failed.
void RandomizeCommand(ModMain& state, Messages& messages, const std::array<bool, 4>& ticked);

// Randomizes the map list of one game type. Returns false when its listing, backup or write
// failed or the file is stored as UTF-16 (the file then is as it was before this type, and a
// message box said so); true otherwise, including when the type has no map files (the
// "Error" box) or all its maps are excluded (nothing backed up or written).
bool RandomizeMapList(ModMain& state, Messages& messages, const GameType& type);

inline constexpr int kMapListSlots = 32;

// A new map list: slot k holds a map file name or nothing.
using MapList = std::array<std::optional<QByteArray>, kMapListSlots>;

// Fills slots 0 to D - 1, D = min(N, 32), with distinct candidates in random order: before
// every draw the generator is reseeded, the draw r gives the index floor(r * N) (in double
// precision), and a draw that hits a used candidate is repeated. Slots D to 31 stay empty.
MapList shuffleMapList(const std::vector<QByteArray>& candidates);

// The 34 writes of one game type in the order the file receives them: Maps[0] to Maps[31]
// of the type's map list section (an empty slot removes the key), then Map (slot 0) and
// GameType of "UTMenu.UTStartGameCW".
std::vector<ini::ProfileWrite> mapListWrites(const GameType& type, const MapList& list);

}  // namespace rendix
