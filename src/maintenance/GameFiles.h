#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace rendix {

// The .int and code package (.u) files that the game and its patches up to 469d ship, with
// their names as the game spells them ("Botpack.u", "epiccustommodels.u", "DM-Deck16][.int").
const std::vector<QByteArrayView>& gameFileNames();

// Whether `package` (a name without extension) belongs to the game: some file of
// gameFileNames() has that name, compared without regard to case and without extension.
// A mod's .int file never has such a name, so such a package never gets an entry.
bool isGamePackage(QByteArrayView package);

}  // namespace rendix
