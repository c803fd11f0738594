#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <vector>

#include "app/ModMain.h"
#include "maintenance/ConfigChange.h"
#include "platform/Messages.h"

namespace rendix {

// Runs UpdateServerPackages under the busy pointer.
void ServerPackagesCommand(ModMain& state, Messages& messages, const ChangeOptions& options = {});

// Brings the "ServerPackages=" entries of the configuration file in effect (Install) into
// line with the packages of the install, in two rewrites each made only after a complete
// backup. First asks about a running game (No changes nothing) and takes the file's lock
// for the whole run (beginChange).
//  - remove: in the file's first ServerPackages block (from the first line that begins
//    with "ServerPackages=" up to the next line of blanks only, the next section header
//    or the end of the file) every entry whose package is missing is dropped; other lines
//    of the block stay. A package is present when its .int file is in System or in
//    SystemLocalized/int, or a package file of its name (.u, .utx, .uax, .umx, .unr) is in
//    one of the install's package folders (the Paths= folders).
//    Status "Removed N serverpackages entries..." or "No serverpackages removed...".
//  - add: an entry "ServerPackages=" + lower-cased package name for every .int file in
//    System that has none, unless the game ships that name (a file of gameFileNames(), the
//    24 stock files among them, compared without case and extension) or a map of that name
//    lies in a map folder. The entries go right before the line that ended the block (after
//    the last non-blank line of [Engine.GameEngine], created if missing, when there was no
//    block). Status + " Added N serverpackages entries.", or, with nothing to add and no
//    second rewrite, + " No serverpackages added.".
// The lines of the block and the added lines take the file's terminator (a last line
// without one gets it once a line follows); every other line keeps its bytes. Nothing is
// written to work files. A folder that cannot be listed, a file that cannot be read or is
// stored as UTF-16, a failed backup or a failed rewrite show a box and stop: before the
// first rewrite nothing has changed; after it the removal stays, the box says so and the
// status line shows only its text.
void UpdateServerPackages(ModMain& state, Messages& messages, const ChangeOptions& options = {});

// The packages of every entry line of the content, wherever it stands: each line that begins
// with "ServerPackages=" (letter case as written), its package the rest of the line as it
// stands, in file order. The first of them opens the block that UpdateServerPackages edits.
std::vector<QByteArray> serverPackagesEntries(QByteArrayView content);

// The numbers (from 1) of the lines that UpdateServerPackages treats as entries: the entry
// lines of the content's first ServerPackages block, in file order.
std::vector<qsizetype> serverPackagesBlockLines(QByteArrayView content);

// The package a file belongs to, folded, where it is a package file (.u, .utx, .uax, .umx
// or .unr, any letter case): "BotPack.U" gives "botpack". Nothing for any other file.
std::optional<QByteArray> packageOfFile(QByteArrayView name);

}  // namespace rendix
