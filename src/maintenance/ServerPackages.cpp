#include "maintenance/ServerPackages.h"

namespace rendix {

void ServerPackagesCommand(ModMain&, Messages&) {}

void UpdateServerPackages(ModMain&, Messages&) {}

}  // namespace rendix
