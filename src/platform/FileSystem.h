#pragma once

#include <QByteArray>

#include <optional>

#include "platform/Paths.h"
#include "platform/Result.h"

// What the shared parts of the platform layer ask of the system's own part (the *_posix.cpp
// files; a port adds its own). Nothing outside src/platform includes this.
namespace rendix::platform {

// Where a chain of symbolic links (reparse points on Windows) ends.
struct LinkEnd {
    QByteArray path;  // the real path where it leads to something, else as far as it goes
    bool leadsSomewhere = false;
};

// Where the symbolic link (chain) `path` leads, or nothing when `path` is no link.
std::optional<LinkEnd> linkEnd(const QByteArray& path);

// What stands at a path, links followed.
enum class FileKind { None, Regular, Other };
struct FileState {
    FileKind kind = FileKind::None;
    // Read-only as on Windows: no write permission bit at all (the mode bits, not access(),
    // so that root is refused too).
    bool readOnly = false;
};
FileState fileState(const QByteArray& path);

// The file a rewrite changes, once the shared rules of Files.cpp let it through.
struct RewriteTarget {
    QByteArray path;  // the path as resolved for writing (the link itself, for a link)
    QByteArray file;  // the file whose bytes change: where the link leads, or `path`
};

// The mechanics of replaceFile, after its checks passed: the temporary file, the writes,
// owner, mode and attributes, the final rename. Failures are Problem::Other with
// `path` = target.path, worded as replaceFile says.
Result rewriteFile(const RewriteTarget& target, const QByteArray& bytes);

// The folder `parts` name, resolved as resolvePath resolves it, or nothing where that is no
// folder.
std::optional<QByteArray> resolveFolder(const PathParts& parts);

// `name` in resolved folder `folder` (empty: the working folder), spelt as the entry that
// stands for it where the resolver finds one.
QByteArray entryPath(const QByteArray& folder, const QByteArray& name);

// The system's part of listFiles and listFolders, for a folder `dir` resolveFolder found.
Listing listResolvedFiles(const QByteArray& dir, QByteArrayView pattern, Links links);
Listing listResolvedFolders(const QByteArray& dir);

// A listing of `names`, put in listing order; `ok` false (the folder could not be read)
// leaves none.
Listing sortedListing(bool ok, std::vector<QByteArray> names);

// A path as the system's own messages show it.
QString describe(const QByteArray& path);

// The system's reason for a fault the test seam injects.
QString injectedFault();

// The system's part of readFileChecked, once `path` resolved to `resolved` and the seam's
// Open passed: opens and reads the plain file, failing as readFileChecked says.
Result readResolved(const QByteArray& path, const QByteArray& resolved, Links links,
                    QByteArray& bytes);

// "There is no file <path>.", Problem::Missing, for `path`.
Result noFile(const QByteArray& path);

// The system's reason `why`, Problem::Unreadable, for `path`.
Result unreadable(const QByteArray& path, const QString& why);

// The failures of copyFileNew that read the same on every system: the seam's Copy fault
// (Problem::Other, `target`), no folder for `target` (Problem::Missing, `target`), the name
// `to` taken (Problem::Exists) and the source `from` unreadable for `why` (Problem::Unreadable).
Result copyFault(const QByteArray& target);
Result noFolderFor(const QByteArray& target);
Result nameTaken(const QByteArray& to);
Result unreadableSource(const QByteArray& from, const QString& why);

// The system's part of removeFile, once `path` resolved to `resolved` and the seam's Delete
// passed: deletes the file, failing with "Cannot delete <path>: <reason>".
Result removeResolved(const QByteArray& resolved);

}  // namespace rendix::platform
