#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <optional>
#include <vector>

#include "ini/LineScan.h"
#include "platform/Result.h"

// Rendix's own profile layer: it reads and edits INI files the way Windows'
// GetPrivateProfileString and WritePrivateProfileString do, editing in place so that a
// write changes only the lines it must and every other byte of the file stays.
//
// Reading rules: leading and trailing blanks of a line do not count. A header is a line
// whose first non-blank character is "["; its name runs to the first "]" (or the end of the
// line), blanks at both ends removed. A key line holds "="; name and value are the text
// before and after the first "=", blanks at both ends removed, and a value of two or more
// characters that starts and ends with the same quote (' or ") loses that pair. A line whose
// first non-blank character is ";" is a comment, never a key. Names compare under ASCII
// case folding after the caller's names are trimmed; only the first section of a name is
// searched, and in it only the first key of a name. Lines before the first header belong to
// no section. The line scan (ini/LineScan.h) holds these rules for every reader of lines.
namespace rendix::ini {

// The value of `key` in `section` of the whole content of a file, as read from disk (a
// UTF-8 byte order mark at its start is skipped), cut to kMaxValueLength; nothing when the
// section or the key is missing.
std::optional<QByteArray> profileValue(QByteArrayView content, QByteArrayView section,
                                       QByteArrayView key);

// The values of every line of `key` in the first section named `section`, in file order,
// each read as profileValue reads one (the game's configuration repeats keys such as
// Paths= and ServerPackages=).
std::vector<QByteArray> profileValues(QByteArrayView content, QByteArrayView section,
                                      QByteArrayView key);

// The key names (blanks at both ends removed, as spelled) of the key lines of the first
// section named `section`, in file order.
std::vector<QByteArray> profileKeyNames(QByteArrayView content, QByteArrayView section);

// An indexed list of a section: the keys prefix + i + "]" for i from 0 to count - 1, i in
// decimal without leading zeros ("DM.Ex[0]", "DM.Ex[1]"...).
struct IndexedList {
    QByteArrayView section;
    QByteArrayView prefix;
    qsizetype count = 0;
};

// The values of each list's keys, each as profileValue reads it, "" where there is no such
// key. One pass over the content reads every list, so reading long lists costs about as
// much as reading the file.
std::vector<std::vector<QByteArray>> profileIndexedValues(QByteArrayView content,
                                                          const std::vector<IndexedList>& lists);

// profileValue for a file on disk; nothing also when the file is missing or cannot be read.
std::optional<QByteArray> readProfileString(const QByteArray& path, QByteArrayView section,
                                            QByteArrayView key);

// One write as WritePrivateProfileString takes it: a key and value set the key; an absent
// value removes the key; an absent key (and value) removes the whole section, its header
// and every line up to the next header except comment lines, which stay.
struct ProfileWrite {
    QByteArray section;
    std::optional<QByteArray> key;
    std::optional<QByteArray> value;
};

// Applies the writes in order to whole file content, exactly as writeProfileStrings
// applies them to a file (below). On failure `content` is as it was. Leaves `content`
// alone when nothing changed.
Result applyProfileWrites(QByteArray& content, const std::vector<ProfileWrite>& writes);

// Sets the keys of an indexed list, prefix + i + "]" to values[i] for i from 0, in that
// order, on whole file content: the bytes are those of applyProfileWrites with one write
// per key. Where the section is missing (as after removing it) the list is written as a new
// section in one pass, whatever its length. Refused, with `content` as it was, where a
// name or value holds CR or LF (or would read back as something else, as there).
Result applyIndexedWrites(QByteArray& content, QByteArrayView section, QByteArrayView prefix,
                          const std::vector<QByteArray>& values);

// Applies the writes in order to the file at `path` through editProfileFile (below):
//  - An existing key (the first of that name in the first section of that name): its line
//    becomes the key as spelled in the file, "=", and the value, keeping its terminator.
//    Writing the text that already stands after the "=" changes nothing.
//  - A new key in an existing section goes right after the section's last non-blank line.
//  - A new section goes at the end, as its header and the key line; a terminator is added
//    first where the file does not end with one, and a blank line where the file is not
//    empty and does not already end with a blank line.
//  - Added lines take the file's terminator (addedLineEnd); a missing file gets CR LF.
// A write is refused, and the whole batch with it, when a name or the value holds CR or LF,
// the section name holds "]", or the key name holds "=" or starts with ";" or "[" (such a
// line would read back as something else). Consecutive writes to one section cost one pass
// over it.
Result writeProfileStrings(const QByteArray& path, const std::vector<ProfileWrite>& writes);

// An edit of whole file content: it changes the bytes it is given, or fails.
using ContentEdit = std::function<Result(QByteArray& content)>;

// Edits the file at `path` in place: `edit` gets its content ("" for a missing file, which
// is then created), and the file is rewritten once, safely, when the bytes changed, and
// left untouched (not even rewritten) when they did not. The path is resolved first, so an
// existing file of another letter case is the one written. Fails, with the file byte for
// byte as it was: a missing folder (Problem::Missing), something at the path that is no
// plain file, a file that cannot be read (Problem::Unreadable, the system's reason in
// `error`), a failed edit (its own result), a file that holds UTF-16 text
// (platform::isUtf16Text; found after `edit` ran, so that what the edit tells the user of
// the file comes first), or a failed rewrite.
Result editProfileFile(const QByteArray& path, const ContentEdit& edit);

// Puts `lines` (which must not hold CR or LF), each with the content's terminator
// (addedLineEnd), at the end of the first section named `section`, as new keys go: right
// after its last non-blank line. Where there is no such section they go into a new one at
// the end of the content, as a new section goes.
void addSectionLines(QByteArray& content, QByteArrayView section,
                     const std::vector<QByteArray>& lines);

// Puts `lines` (which must not hold CR or LF), each with the content's terminator, at
// `at`, the start of a line or the end of the content; a last line without terminator gets
// one first.
void insertLines(QByteArray& content, qsizetype at, const std::vector<QByteArray>& lines);

}  // namespace rendix::ini
