#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

#include "ini/Profile.h"
#include "platform/Result.h"

// Long batches of key writes to the game's configuration file, applied in memory in one
// pass. A map list of 4,096 slots is 4,098 writes; the profile layer looks each key up
// anew and splices the whole file for each, which grows with the square of the list.
namespace rendix {

// Applies `writes` in order to whole file content `bytes` and gives exactly the bytes that
// ini::writeProfileStrings gives for the same writes to a file holding `bytes` (existing
// keys set in place, new keys after the section's last non-blank line, a missing section
// appended, an absent value removing the first key of its name, added lines with the
// file's terminator). Every write must have a key. Time grows with the size of the content
// and the number of writes, not their product. Fails, leaving `bytes` as they were, where
// the profile layer refuses the batch (a line break in a name or value, "]" in a section
// name, a key name that holds "=" or starts with ";" or "[").
Result applyKeyWrites(QByteArray& bytes, const std::vector<ini::ProfileWrite>& writes);

// The key names (blanks at both ends removed, as spelled) of the lines of the first section
// named `section`, in file order, as the profile layer reads them.
std::vector<QByteArray> sectionKeyNames(QByteArrayView bytes, QByteArrayView section);

}  // namespace rendix
