#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

#include "platform/Messages.h"
#include "platform/Result.h"

// The program's routines for INI files, used for Rendix.ini and UnrealTournament.ini.
// ReadKeyValue, WriteKeyValue and DeleteSection go through the profile layer (names compare
// without regard to case); NumSections, NumKeys and SectionExists scan the file as text and
// compare exactly: the header of section S is a line exactly equal to "[" + S + "]".
// Each call opens and reads the file anew; nothing is kept between calls.
//
// Where the file is missing (no plain file at the path, a folder of that name included),
// the routines show the "File Not Found" box (the path, then " not found."; OK only,
// critical icon) and return their neutral result: "", 0, false, nothing done. A file that
// exists but cannot be read gives the neutral result without a box.
namespace rendix {

// The value of `key` in `section`, cut to 254 characters; "" when the section or key is
// missing or the value is empty.
QByteArray ReadKeyValue(Messages& messages, const QByteArray& file, const QByteArray& section,
                        const QByteArray& key);

// Sets `key` of `section` to `value`, creating the file, the section or the key as needed
// and replacing an existing value in place. An absent value removes the key; "" writes an
// empty value. Shows nothing; returns the failure (a missing folder, a name or value holding
// CR or LF, a name that would not read back as written, a failed rewrite), in which case
// the file is as it was.
Result WriteKeyValue(const QByteArray& file, const QByteArray& section, const QByteArray& key,
                     const std::optional<QByteArray>& value);

// Removes the section (header and entries; comment lines stay). A missing file shows the
// "File Not Found" box; a section that SectionExists does not find shows the "Section Not
// Found." box marked "~(DeleteSection)"; both leave the file alone and return success.
// Returns a failure only when the file exists but cannot be read, or the rewrite failed.
Result DeleteSection(Messages& messages, const QByteArray& file, const QByteArray& section);

// The number of section header lines (IsSectionLine), duplicates included.
int NumSections(Messages& messages, const QByteArray& file);

// The number of key lines (IsKeyLine) of the first section headed exactly "[" + section +
// "]", up to the next header line. A missing section shows the "Section Not Found." box
// marked "~(NumKeys)" and gives 0.
int NumKeys(Messages& messages, const QByteArray& file, const QByteArray& section);

// Whether a line exactly equal to "[" + section + "]" exists.
bool SectionExists(Messages& messages, const QByteArray& file, const QByteArray& section);

// Not empty, first character "[", last character "]".
bool IsSectionLine(QByteArrayView line);

// Holds "=" anywhere.
bool IsKeyLine(QByteArrayView line);

}  // namespace rendix
