#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <initializer_list>
#include <optional>
#include <vector>

// Names of files and folders, and listings. Paths and names are 8-bit byte strings in the
// file system's own encoding, never decoded here, so a name that is not valid UTF-8
// round-trips.
//
// Every lookup goes through one resolver that matches names the way Windows does:
// each component of a path is resolved in turn (empty components are skipped); an entry
// named exactly like the component wins, otherwise the entries equal to it under ASCII
// case folding are candidates and the first of them in byte order wins.
namespace rendix::platform {

// The native separator: "/" on Linux, "\" on Windows.
QByteArray separator();

// Whether `c` separates the parts of a path: "/" on Linux; "\" and "/" on Windows.
bool isSeparator(char c);

// The length of the root a path starts with, its separators included: that of "/" on Linux;
// on Windows that of "C:\", "\\server\share\", "\" (the current drive's root) or "C:" (the
// current folder of drive C). 0 for a path that starts in the current folder.
qsizetype rootLength(QByteArrayView path);

// Whether a path starts at a root rather than in the current folder.
inline bool isAbsolutePath(QByteArrayView path) {
    return rootLength(path) > 0;
}

// A path taken apart: its root as written (see rootLength) and its names, the empty ones
// (a doubled separator, a trailing one) left out. Nothing is resolved: "." and ".." stay.
struct PathParts {
    QByteArray root;
    std::vector<QByteArray> names;
};
PathParts splitPath(QByteArrayView path);

// The root followed by the first `count` names, with the separator between the names.
QByteArray joinParts(const PathParts& parts, std::size_t count);

// The path without its last name: the folder a file lies in ("" for a bare name, the root for
// a name right at the root).
QByteArray parentPath(QByteArrayView path);

// The last name of a path ("" for a root or an empty path).
QByteArray lastName(QByteArrayView path);

// A name or path as a message shows it: decoded from the file system's bytes, with every
// control character (below 0x20, and 0x7F) written as "\x" and two hex digits, so that a
// line break in a name can neither break a message nor forge a line of it.
QString shownName(QByteArrayView name);

// `base` followed by the separator and each part in turn: joinPath(utDir, {"system",
// "UnrealTournament.ini"}) is utDir + "/system/UnrealTournament.ini". Nothing is trimmed
// from `base`, so a trailing separator gives a doubled one, which the resolver skips.
QByteArray joinPath(const QByteArray& base, std::initializer_list<QByteArrayView> parts);

// A folder as Qt names it (QDir, QStandardPaths, QCoreApplication) in the platform's own
// bytes and separators, without a trailing separator except the root's own.
QByteArray fromQtFolder(const QString& folder);

// The path with every existing component replaced by the name stored on disk, or nothing
// when some component does not exist. Symbolic links count as what they point to.
std::optional<QByteArray> resolvePath(const QByteArray& path);

// The path a write to `path` must use: the folder resolved, and the last component
// resolved when a file of that name exists in any letter case, kept as given otherwise.
// Nothing when the folder does not exist. Rendix never creates a second case variant.
std::optional<QByteArray> resolveForWrite(const QByteArray& path);

// A plain file found by a case-insensitive lookup.
struct FoundFile {
    QByteArray path;        // resolved full path
    QByteArray storedName;  // the last component as the folder stores it
};

// Looks up one plain file: a regular file or a symbolic link to one, not hidden (no
// leading "."), not a folder. Nothing when there is no such file.
std::optional<FoundFile> lookupFile(const QByteArray& path);

// The size and last change time of a plain file (seconds since the epoch), or nothing when
// there is no plain file at the path.
struct FileTimes {
    qint64 size = 0;
    qint64 modified = 0;
};
std::optional<FileTimes> fileTimes(const QByteArray& path);

// Whether `dir` resolves to an existing folder.
bool folderExists(const QByteArray& dir);

// "*" matches any run of characters and "?" one character, under ASCII case folding.
bool wildcardMatch(QByteArrayView pattern, QByteArrayView name);

// The byte order: bytes compared as unsigned numbers, a prefix before the longer name. The
// resolver takes the first of several case variants in this order.
bool byteLess(QByteArrayView a, QByteArrayView b);

// The listing order: names compared with a-z folded to A-Z, ties broken by byte order.
bool listingLess(QByteArrayView a, QByteArrayView b);

// Sorts names into the listing order; faster than sorting with listingLess for the many
// names of a large maps folder.
void sortInListingOrder(std::vector<QByteArray>& names);

// Whether a listing or a read takes a symbolic link (a reparse point on Windows) for what it
// leads to.
enum class Links {
    Followed,  // a link to a plain file counts as a plain file
    Excluded,  // links are left out of a listing, and reading one fails
};

struct Listing {
    bool ok = true;                 // false when the folder could not be listed
    std::vector<QByteArray> names;  // bare names, in listing order
};

// The plain files of folder `dir` (resolved first) whose names match `pattern`, in
// listing order. Hidden files, folders and other special files are left out, and so are
// symbolic links with Links::Excluded. A folder that does not exist gives an empty,
// successful listing; one that cannot be read gives ok = false. Counts as one List
// operation of the test seam.
Listing listFiles(const QByteArray& dir, QByteArrayView pattern, Links links = Links::Followed);

// Whether the entries of folder `dir` (resolved first) can be listed and looked into: on
// Linux, read and search permission for this process. A path that is no folder counts as
// readable, since nothing in it is hidden from a lookup. Where it cannot be read, `why`
// (when given) receives the system's reason.
bool folderReadable(const QByteArray& dir, QString* why = nullptr);

// The folders in folder `dir` (resolved first), hidden ones included, "." and ".." left
// out, names as the folder stores them (bytes, valid UTF-8 or not), in listing order. A
// symbolic link to a folder counts as a folder.
Listing listFolders(const QByteArray& dir);

// Whether something exists at `path` spelled exactly so (a symbolic link counts as what it
// leads to; one that leads nowhere does not). Unlike resolvePath it never lists a folder to
// find another letter case.
bool existsAsNamed(const QByteArray& path);

// The absolute path with every symbolic link, "." and ".." resolved, as the operating
// system resolves it; nothing when it does not exist. Two names of one folder give one path.
std::optional<QByteArray> canonicalPath(const QByteArray& path);

}  // namespace rendix::platform
