#pragma once

#include "app/ModMain.h"
#include "platform/Messages.h"

namespace rendix {

// The command of cmdAddInt: UpdateServerPackages with the busy pointer.
void ServerPackagesCommand(ModMain& state, Messages& messages);

// Removes every "ServerPackages=" entry of the file's first ServerPackages block whose .int
// file is missing from UTDir + "/system", and adds an entry for every .int file there that
// has none, except the 24 stock files; reports the counts in the status line.
void UpdateServerPackages(ModMain& state, Messages& messages);

}  // namespace rendix
