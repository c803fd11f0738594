#pragma once

#include <QByteArray>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

#include "app/GameTypes.h"
#include "app/Install.h"
#include "app/ModMain.h"
#include "ini/Profile.h"
#include "maintenance/ConfigChange.h"
#include "platform/Messages.h"

namespace rendix {

// Randomizes the map lists of the ticked game types, with the busy pointer: with at least one
// game type ticked (indexed as kGameTypes), asks about a running game (No changes nothing)
// and takes the lock of the configuration file for the whole run (beginChange), then runs
// RandomizeMapList for each ticked type in the order DM, CTF, DOM, AS, and sets the status
// line to "Randomized all map lists." when all four are ticked and none failed. Stops at the
// first game type that failed; the types randomized before it keep their new lists, and
// its box says so.
void RandomizeCommand(ModMain& state, Messages& messages, const std::array<bool, 4>& ticked,
                      const ChangeOptions& options = {});

enum class RandomizeOutcome {
    Randomized,  // the new list is in the file
    Unchanged,   // no map files (the "Error" box) or all excluded: nothing backed up or written
    Failed,      // a box said what failed; the file holds what it held before this type
};

// Randomizes the map list of one game type in the configuration file of `install`, whose
// lock the caller holds: lists the type's maps in every map folder, leaves out the excluded
// ones, shuffles up to state.MapsPerList of them into the list (shuffleMapList), backs the
// file up and rewrites it once with mapListWrites. `randomizedBefore` names the game types
// (codes) this run randomized before; a failure's box says their changes stay.
RandomizeOutcome RandomizeMapList(ModMain& state, Messages& messages, const Install& install,
                                  const GameType& type, const QStringList& randomizedBefore = {});

// The maps of a listing that can stand in a map list: names without control characters.
qsizetype usableMapCount(const platform::Listing& listing);

// The usable maps of a listing that the exclusion list does not leave out, in listing order:
// the randomizer's candidates. A plain entry leaves out the map it names exactly (letter case
// included), a pattern every map it matches (app/MapPatterns.h).
std::vector<QByteArray> mapCandidates(const platform::Listing& listing,
                                      const ExclusionList& excludes);

// The slots of a map list that every game reads (Maps[0] to Maps[31]).
inline constexpr int kMapListSlots = 32;

// A new map list: slot k holds a map file name or nothing.
using MapList = std::vector<std::optional<QByteArray>>;

// A list of `slots` slots (1 to kMaxMapsPerList) whose slots 0 to D - 1, D = min(N, slots),
// hold distinct candidates in random order: before every draw the generator is reseeded,
// the draw r gives the index floor(r * N) (in double precision), and a draw that hits a
// used candidate is repeated. Slots D and after stay empty.
MapList shuffleMapList(const std::vector<QByteArray>& candidates, int slots = kMapListSlots);

// The writes of one game type in the order the file receives them:
//  - Maps[0] to Maps[L - 1] of the type's map list section, L = max(32, list size): slot
//    k's name, or, for an empty slot or one past the list, the key's removal.
//  - The removal of every key of `sectionKeys` (the key names the section holds,
//    ini::profileKeyNames) that reads Maps[k] (any case, k in decimal) with k >= L, one for
//    each such line: patch 469c and later read up to Maps[4095], so no map of an earlier,
//    longer list may stay in the rotation. A section without such keys gets exactly the
//    writes a game before patch 469c knows, Maps[0] to Maps[31].
//  - Map (slot 0) and GameType of "UTMenu.UTStartGameCW".
std::vector<ini::ProfileWrite> mapListWrites(const GameType& type, const MapList& list,
                                             const std::vector<QByteArray>& sectionKeys = {});

}  // namespace rendix
