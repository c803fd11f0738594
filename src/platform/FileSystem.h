#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <initializer_list>
#include <optional>
#include <vector>

#include "platform/Result.h"

// Files and folders. Paths and names are 8-bit byte strings in the file system's own
// encoding, never decoded here, so a name that is not valid UTF-8 round-trips.
//
// Every lookup goes through one resolver that matches names the way Windows does:
// each component of a path is resolved in turn (empty components are skipped); an entry
// named exactly like the component wins, otherwise the entries equal to it under ASCII
// case folding are candidates and the first of them in byte order wins.
namespace rendix::platform {

// The native separator: "/" on Linux.
QByteArray separator();

// `base` followed by the separator and each part in turn: joinPath(utDir, {"system",
// "UnrealTournament.ini"}) is utDir + "/system/UnrealTournament.ini". Nothing is trimmed
// from `base`, so a trailing separator gives a doubled one, which the resolver skips.
QByteArray joinPath(const QByteArray& base, std::initializer_list<QByteArrayView> parts);

// ASCII case folding: only A-Z change.
QByteArray foldCase(QByteArrayView text);
bool equalsFolded(QByteArrayView a, QByteArrayView b);

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

// The listing order: names compared with a-z folded to A-Z, ties broken by byte order.
bool listingLess(QByteArrayView a, QByteArrayView b);

// Sorts names into the listing order; faster than sorting with listingLess for the many
// names of a large maps folder.
void sortInListingOrder(std::vector<QByteArray>& names);

struct Listing {
    bool ok = true;                 // false when the folder could not be listed
    std::vector<QByteArray> names;  // bare names, in listing order
};

// The plain files of folder `dir` (resolved first) whose names match `pattern`, in
// listing order. Hidden files, folders and other special files are left out. A folder
// that does not exist gives an empty, successful listing; one that cannot be read gives
// ok = false. Counts as one List operation of the test seam.
Listing listFiles(const QByteArray& dir, QByteArrayView pattern);

// The whole content of a plain file, or nothing when it is missing, is not a plain file
// or cannot be read (the test seam's Open and Read).
std::optional<QByteArray> readFile(const QByteArray& path);

// The same, telling why not: Problem::Missing when there is no plain file at the path,
// Problem::Unreadable (with the system's reason in `error`) when it exists but cannot be
// read. `bytes` is set only on success. The failure's `path` is the path as given.
Result readFileChecked(const QByteArray& path, QByteArray& bytes);

// The folders in folder `dir` (resolved first), hidden ones included, "." and ".." left
// out, names as the folder stores them (bytes, valid UTF-8 or not), in listing order. A
// symbolic link to a folder counts as a folder.
Listing listFolders(const QByteArray& dir);

// A path as the user typed it: "~" alone or at the start of "~/..." stands for the home
// folder; anything else is returned as it is.
QByteArray expandUserPath(const QByteArray& typed);

// Writes `bytes` as the whole new content of `path`, safely: to a hidden temporary file
// in the same folder, checking every write, then flush, sync and rename over the target.
// An existing target keeps its owner, group, permission bits and extended attributes (POSIX
// ACLs included; a file system without them is no error); where these cannot be kept the
// file is left unchanged and the failure reported. A missing file is created (its folder
// must exist). Before the temporary file is made, leftovers of Rendix's own temporary
// naming (".Rendix-" or ".Rendix-probe-" and six letters or digits) older than a minute
// are removed from that folder; nothing else is.
// Every failure leaves the old file byte for byte as it was and no temporary file, and
// has `path` = `path` as resolved for writing (the link itself, for a link):
//  - Problem::LinkRefused: `path` is a symbolic link (chain) whose final target is not a
//    regular file named "*.ini" in any letter case, or leads nowhere; `target` = where it
//    leads. A link to such a file has that file rewritten and the link stays.
//  - Problem::ReadOnly: the file has no write permission bit at all (mode & 0222 == 0);
//    refused for root as well.
//  - Problem::Missing: the folder does not exist (`path` as given).
//  - Problem::Other: anything else (not a plain file, a failed write, flush, sync, rename,
//    owner, mode or attribute step).
Result replaceFile(const QByteArray& path, const QByteArray& bytes);

// Copies `source` to `target`, complete or not at all: to a hidden temporary name first,
// with every read and write checked, then renamed to `target` without ever replacing an
// existing file. The copy keeps the source's permission bits and extended attributes (POSIX
// ACLs included), and its owner where allowed. Leftovers of Rendix's own temporary naming
// are removed first, as for replaceFile. Counts as one Copy operation of the seam besides
// the opens, reads, writes, flushes, syncs and renames it makes. Failures, and no temporary
// file is left after any of them:
//  - Problem::Exists (`path` = `target` as resolved): the name is taken, in any letter case,
//    at the start or by the time of the final link, so a caller can try another name.
//  - Problem::Missing: no plain file `source` (`path` = `source`), or no folder for
//    `target` (`path` = `target`).
//  - Problem::Unreadable (`path` = `source` resolved): the source cannot be opened or read.
//  - Problem::Other (`path` = `target`): any write, attribute, flush, sync or rename step.
Result copyFileNew(const QByteArray& source, const QByteArray& target);

// Deletes one file (resolved first). Fails when it is missing or cannot be deleted.
Result removeFile(const QByteArray& path);

// Deletes every plain file of folder `dir` that matches `pattern`. Fails when the folder
// cannot be listed or any match cannot be deleted (the others are still deleted).
Result removeMatching(const QByteArray& dir, QByteArrayView pattern);

// Whether a file could be created (and was removed again) in folder `dir`.
bool canCreateFileIn(const QByteArray& dir);

// The folder of the running executable, without a trailing separator.
QByteArray programDirectory();

// The per-user configuration folder (QStandardPaths::AppConfigLocation; on Linux
// ~/.config/Rendix), not created here.
QByteArray userConfigFolder();

// The user's home folder, without a trailing separator (the test seam's, when it sets one).
QByteArray homeFolder();

// The per-user copies of the game's configuration file that a game of this platform may
// read instead of the one in its program folder, whether they exist or not: on Linux
// ~/.utpg/System/UnrealTournament.ini (patch 469); none on Windows.
std::vector<QByteArray> perUserGameConfigFiles();

// Starts the program at `path` detached, in a normal window. False when it cannot start.
bool startProgram(const QByteArray& path);

}  // namespace rendix::platform
