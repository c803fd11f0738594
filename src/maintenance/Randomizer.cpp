#include "maintenance/Randomizer.h"

namespace rendix {

void RandomizeCommand(ModMain&, Messages&, const std::array<bool, 4>&) {}

bool RandomizeMapList(ModMain&, Messages&, const GameType&) {
    return true;
}

}  // namespace rendix
