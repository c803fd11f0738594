#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <vector>

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

// Replaces the keys of `section` with the indexed list `values` (key prefix + i + "]" holds
// values[i], i from 0) exactly as DeleteSection followed by one WriteKeyValue per key would,
// with DeleteSection's boxes (a missing file: "File Not Found", and the keys then make a new
// file; no header exactly "[" + section + "]": "Section Not Found." marked
// "~(DeleteSection)", and the keys are written into the file as it is), but as one reading
// and at most one safe rewrite: the file holds either its old bytes or all of the new ones.
// Bytes that come out equal are not rewritten. Fails, with the file as it was, where a write
// would be refused or ini::editProfileFile fails (a missing folder, a file that cannot be
// read, Problem::Unreadable, or holds UTF-16 text, a failed rewrite).
Result ReplaceSection(Messages& messages, const QByteArray& file, const QByteArray& section,
                      const QByteArray& keyPrefix, const std::vector<QByteArray>& values);

// The text scans of NumSections, SectionExists and NumKeys on content already read (the
// routines above read the file first). One pass over the lines notes each header line and
// the number of key lines after it, so asking several questions of one file costs one pass
// over it. The content must outlive this.
class IniText {
public:
    explicit IniText(QByteArrayView content);
    // NumSections: the number of section header lines (IsSectionLine).
    int numSections() const;
    // SectionExists: whether a line exactly equal to "[" + section + "]" exists.
    bool sectionExists(QByteArrayView section) const;
    // NumKeys: the key lines of the first section headed exactly "[" + section + "]", up to
    // the next header line; nothing when there is no such header.
    std::optional<int> numKeys(QByteArrayView section) const;

private:
    struct Header {
        QByteArrayView line;
        qsizetype keys = 0;  // key lines up to the next header line
    };
    // The first header line exactly equal to "[" + section + "]", or nullptr.
    const Header* header(QByteArrayView section) const;

    std::vector<Header> m_headers;
};

// Not empty, first character "[", last character "]".
bool IsSectionLine(QByteArrayView line);

// Holds "=" anywhere.
bool IsKeyLine(QByteArrayView line);

}  // namespace rendix
