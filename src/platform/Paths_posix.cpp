#include "platform/Paths.h"

#include <QFile>

#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "platform/FileSystem.h"
#include "platform/Posix.h"
#include "platform/Text.h"

namespace rendix::platform {

namespace {

bool isHidden(QByteArrayView name) {
    return !name.isEmpty() && name.front() == '.';
}

// Whether the entry is a file of `type` (S_IFREG, S_IFDIR), a symbolic link counting as
// what it points to where `links` says so; d_type alone cannot tell that.
bool entryLeadsTo(const dirent& entry, int folderFd, mode_t type, Links links) {
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return static_cast<mode_t>(DTTOIF(entry.d_type)) == type;
    }
    const int follow = links == Links::Followed ? 0 : AT_SYMLINK_NOFOLLOW;
    struct stat info {};
    return ::fstatat(folderFd, entry.d_name, &info, follow) == 0 && (info.st_mode & S_IFMT) == type;
}

// The entry of folder `dir` that equals `component` under ASCII case folding, first in
// byte order. With `sameAs`, only entries that are that file count and the exact name
// wins; without, any entry that leads somewhere counts (not a dangling link).
std::optional<QByteArray> scanFolder(const QByteArray& dir, const QByteArray& component,
                                     const struct stat* sameAs) {
    std::optional<QByteArray> best;
    forEachEntry(dir, [&](const dirent& entry, int folderFd) {
        const QByteArrayView name(entry.d_name);
        if (!equalsFolded(name, component) || (best && !byteLess(name, *best))) {
            return true;
        }
        struct stat info {};
        if (::fstatat(folderFd, entry.d_name, &info, 0) != 0 ||
            (sameAs && (info.st_dev != sameAs->st_dev || info.st_ino != sameAs->st_ino))) {
            return true;
        }
        best = name.toByteArray();
        return !(sameAs && name == QByteArrayView(component));
    });
    return best;
}

// The entry of folder `dir` that stands for `component`: the exact name when it exists,
// otherwise the first entry in byte order that equals it under ASCII case folding.
// Entries that lead nowhere (a dangling link) do not count.
std::optional<QByteArray> findEntry(const QByteArray& dir, const QByteArray& component) {
    struct stat info {};
    if (!statPath(appendComponent(dir, component), info)) {
        return scanFolder(dir, component, nullptr);
    }
    // A folder that ignores letter case (vfat, exFAT, casefolded ext4) finds any spelling,
    // so the stored name must come from the listing. Such a folder finds the swapped
    // spelling too; a case-sensitive one almost never holds that as the same file.
    const QByteArray swapped = swapCase(component);
    struct stat other {};
    if (swapped == component || !statPath(appendComponent(dir, swapped), other) ||
        other.st_dev != info.st_dev || other.st_ino != info.st_ino) {
        return component;
    }
    return scanFolder(dir, component, &info).value_or(component);
}

// Resolves the parts in turn; every component but the last must be a folder.
std::optional<QByteArray> resolveParts(const PathParts& path) {
    QByteArray resolved = path.root.isEmpty() ? QByteArray() : QByteArrayLiteral("/");
    for (std::size_t i = 0; i < path.names.size(); ++i) {
        if (i > 0) {
            struct stat info {};
            if (!statPath(resolved, info) || !S_ISDIR(info.st_mode)) {
                return std::nullopt;
            }
        }
        const std::optional<QByteArray> name = findEntry(resolved, path.names[i]);
        if (!name) {
            return std::nullopt;
        }
        resolved = appendComponent(resolved, *name);
    }
    if (resolved.isEmpty()) {
        resolved = QByteArrayLiteral(".");
    }
    return resolved;
}

// The names of the entries of an already resolved folder that are (or lead to) files of
// `type` and that `wanted` accepts, in listing order; none when the folder cannot be read.
template <typename Wanted>
Listing listResolved(const QByteArray& dir, mode_t type, Links links, Wanted wanted) {
    std::vector<QByteArray> names;
    const bool ok = forEachEntry(dir, [&](const dirent& entry, int folderFd) {
        const QByteArrayView name(entry.d_name);
        if (wanted(name) && entryLeadsTo(entry, folderFd, type, links)) {
            names.push_back(name.toByteArray());
        }
        return true;
    });
    return sortedListing(ok, std::move(names));
}

}  // namespace

QByteArray separator() {
    return QByteArrayLiteral("/");
}

bool isSeparator(char c) {
    return c == '/';
}

qsizetype rootLength(QByteArrayView path) {
    return path.startsWith('/') ? 1 : 0;
}

QByteArray fromQtFolder(const QString& folder) {
    QByteArray path = QFile::encodeName(folder);
    while (path.size() > 1 && path.endsWith('/')) {
        path.chop(1);
    }
    return path;
}

std::optional<QByteArray> resolvePath(const QByteArray& path) {
    return resolveParts(splitPath(path));
}

std::optional<QByteArray> resolveFolder(const PathParts& parts) {
    std::optional<QByteArray> dir = resolveParts(parts);
    if (!dir || !isDirectory(*dir)) {
        return std::nullopt;
    }
    return dir;
}

QByteArray entryPath(const QByteArray& folder, const QByteArray& name) {
    const std::optional<QByteArray> stored = findEntry(folder, name);
    return appendComponent(folder, stored ? *stored : name);
}

std::optional<FileTimes> fileTimes(const QByteArray& path) {
    const std::optional<QByteArray> resolved = resolvePath(path);
    struct stat info {};
    if (!resolved || !statPath(*resolved, info) || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FileTimes{static_cast<qint64>(info.st_size), static_cast<qint64>(info.st_mtime)};
}

std::optional<FoundFile> lookupFile(const QByteArray& path) {
    const std::optional<QByteArray> resolved = resolvePath(path);
    if (!resolved) {
        return std::nullopt;
    }
    struct stat info {};
    const QByteArray name = lastComponent(*resolved);
    if (isHidden(name) || !statPath(*resolved, info) || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FoundFile{*resolved, name};
}

bool folderExists(const QByteArray& dir) {
    const std::optional<QByteArray> resolved = resolvePath(dir);
    return resolved && isDirectory(*resolved);
}

bool folderReadable(const QByteArray& dir, QString* why) {
    const std::optional<QByteArray> resolved = resolvePath(dir);
    if (!resolved || !isDirectory(*resolved) || ::access(resolved->constData(), R_OK | X_OK) == 0) {
        return true;
    }
    if (why) {
        *why = systemError(errno);
    }
    return false;
}

Listing listResolvedFiles(const QByteArray& dir, QByteArrayView pattern, Links links) {
    return listResolved(dir, S_IFREG, links, [&](QByteArrayView name) {
        return !isHidden(name) && wildcardMatch(pattern, name);
    });
}

Listing listResolvedFolders(const QByteArray& dir) {
    return listResolved(dir, S_IFDIR, Links::Followed, [](QByteArrayView) { return true; });
}

bool existsAsNamed(const QByteArray& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0;
}

std::optional<QByteArray> canonicalPath(const QByteArray& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(
        ::realpath(path.constData(), nullptr), &std::free);
    if (!resolved) {
        return std::nullopt;
    }
    return QByteArray(resolved.get());
}

}  // namespace rendix::platform
