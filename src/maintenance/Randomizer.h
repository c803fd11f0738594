#pragma once

#include <array>

#include "app/GameTypes.h"
#include "app/ModMain.h"
#include "platform/Messages.h"

namespace rendix {

// The command of cmdRandomize, with the busy pointer: runs RandomizeMapList for each ticked
// game type (indexed as kGameTypes) in the order DM, CTF, DOM, AS, and sets the status line
// to "Randomized all map lists." when all four are ticked and none failed. Stops at the
// first game type whose backup or write failed.
void RandomizeCommand(ModMain& state, Messages& messages, const std::array<bool, 4>& ticked);

// Randomizes the map list of one game type. Returns false when its backup or write failed
// (the file then is as it was before this type, and a message box said so); true otherwise,
// including when the type has no map files (the "Error" box) or all its maps are excluded.
bool RandomizeMapList(ModMain& state, Messages& messages, const GameType& type);

}  // namespace rendix
