#pragma once

#include "app/ModMain.h"
#include "platform/Messages.h"

namespace rendix {

// The command of cmdAddInt: UpdateServerPackages with the busy pointer.
void ServerPackagesCommand(ModMain& state, Messages& messages);

// Brings the "ServerPackages=" entries of UnrealTournament.ini into line with the .int files
// of UTDir + "/system", in two rewrites each made only after a complete backup:
//  - remove: in the file's first ServerPackages block (from the first line that begins
//    with "ServerPackages=" to the next empty line or the end of the file) every entry
//    whose .int file is missing is dropped; other lines of the block stay as they are.
//    Status "Removed N serverpackages entries..." or "No serverpackages removed...".
//  - add: an entry "ServerPackages=" + lower-cased package name for every .int file that
//    has none and is not one of the 24 stock files, right before the line that ended the
//    block (after the last non-blank line of [Engine.GameEngine], created if missing, when
//    there was no block). Status + " Added N serverpackages entries.", or, with nothing to
//    add and no second rewrite, + " No serverpackages added.".
// Unchanged lines keep their bytes and terminators; added lines take the file's terminator.
// Nothing is written to work files. A folder that cannot be listed, a file stored as UTF-16,
// a failed backup or a failed rewrite show a box and stop: before the first rewrite nothing
// has changed; after it the removal stays and the status line shows only its text.
void UpdateServerPackages(ModMain& state, Messages& messages);

}  // namespace rendix
