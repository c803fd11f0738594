#include "platform/Paths.h"

#include <QDir>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/Windows.h"

namespace rendix::platform {

// --- What the Windows parts share (Windows.h) ---------------------------------------------

QString systemError(DWORD code) {
    if (code == kInjectedFault) {
        return QStringLiteral("Input/output error");
    }
    wchar_t* text = nullptr;
    const DWORD size = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString reason = size > 0 ? QString::fromWCharArray(text, static_cast<qsizetype>(size))
                              : QStringLiteral("error %1").arg(code);
    ::LocalFree(text);
    while (!reason.isEmpty() && (reason.back().isSpace() || reason.back() == QLatin1Char('.'))) {
        reason.chop(1);
    }
    return reason;
}

std::wstring widePath(QByteArrayView path) {
    std::wstring wide = QString::fromUtf8(path).toStdWString();
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    if (wide.empty() || wide.starts_with(LR"(\\?\)") || wide.starts_with(LR"(\\.\)")) {
        return wide;
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size =
            ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (size == 0) {
            return wide;
        }
        if (size < full.size()) {
            full.resize(size);
            break;
        }
        full.resize(size);
    }
    // The old limit counts the terminating zero, and a folder must leave room for a 8.3 name.
    if (full.size() < MAX_PATH - 12) {
        return full;
    }
    return full.starts_with(LR"(\\)") ? LR"(\\?\UNC\)" + full.substr(2) : LR"(\\?\)" + full;
}

QByteArray fromWide(const wchar_t* text, qsizetype size) {
    QString string = size < 0 ? QString::fromWCharArray(text) : QString::fromWCharArray(text, size);
    if (string.startsWith(QLatin1String(R"(\\?\UNC\)"))) {
        string.replace(0, 8, QLatin1String(R"(\\)"));
    } else if (string.startsWith(QLatin1String(R"(\\?\)"))) {
        string.remove(0, 4);
    }
    return string.toUtf8();
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype root = rootLength(path);
    qsizetype last = path.size() - 1;
    while (last >= root && !isSeparator(path[last])) {
        --last;
    }
    if (last < root) {
        return root > 0 ? path.left(root) : QByteArrayLiteral(".");
    }
    return path.left(last);
}

QByteArray lastComponent(const QByteArray& path) {
    qsizetype start = path.size();
    while (start > rootLength(path) && !isSeparator(path[start - 1])) {
        --start;
    }
    return path.mid(start);
}

QByteArray appendComponent(const QByteArray& folder, const QByteArray& name) {
    if (folder.isEmpty() || isSeparator(folder.back()) || rootLength(folder) == folder.size()) {
        return folder + name;
    }
    return folder + '\\' + name;
}

Handle openPath(const QByteArray& path, DWORD access, DWORD flags) {
    return Handle(::CreateFileW(widePath(path).c_str(), access,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

std::optional<FollowedInfo> followedInfo(const QByteArray& path) {
    const Handle handle = openPath(path, FILE_READ_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle.valid() || !::GetFileInformationByHandle(handle.get(), &info)) {
        return std::nullopt;
    }
    // FILETIME counts 100 ns steps from 1601; the epoch is 11644473600 seconds later.
    const qint64 ticks = (static_cast<qint64>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                         info.ftLastWriteTime.dwLowDateTime;
    return FollowedInfo{info.dwFileAttributes,
                        (static_cast<qint64>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                        ticks / 10000000 - 11644473600LL};
}

bool isDirectory(const QByteArray& path) {
    const std::optional<FollowedInfo> info = followedInfo(path);
    return info && isFolder(info->attributes);
}

std::optional<QByteArray> finalPath(const QByteArray& path) {
    const Handle handle = openPath(path, FILE_READ_ATTRIBUTES);
    if (!handle.valid()) {
        return std::nullopt;
    }
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size =
            ::GetFinalPathNameByHandleW(handle.get(), name.data(), static_cast<DWORD>(name.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (size == 0) {
            return std::nullopt;
        }
        if (size < name.size()) {
            name.resize(size);
            return fromWide(name);
        }
        name.resize(size);
    }
}

// --- Names and listings ------------------------------------------------------------------

namespace {

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// An entry of a folder: its name as the folder stores it, its own attributes and, for a link,
// those of what it leads to.
struct Entry {
    QByteArray name;
    DWORD own = 0;
    DWORD followed = 0;
};

// The entry's attributes with links followed; nothing for a link that leads nowhere.
std::optional<DWORD> followedAttributes(const QByteArray& dir, const WIN32_FIND_DATAW& entry) {
    if (!isLink(entry)) {
        return entry.dwFileAttributes;
    }
    const std::optional<FollowedInfo> info =
        followedInfo(appendComponent(dir, fromWide(entry.cFileName)));
    return info ? std::optional<DWORD>(info->attributes) : std::nullopt;
}

// The entry of folder `dir` named `name` in any letter case, as the file system finds it.
// Names that hold a character no Windows name may hold (the wildcards among them) find nothing.
std::optional<Entry> findEntry(const QByteArray& dir, const QByteArray& name) {
    if (name == "." || name == "..") {
        const QByteArray path = appendComponent(dir, name);
        return isDirectory(path) ? std::optional<Entry>(Entry{name, FILE_ATTRIBUTE_DIRECTORY,
                                                              FILE_ATTRIBUTE_DIRECTORY})
                                 : std::nullopt;
    }
    if (std::any_of(name.begin(), name.end(), [](char c) {
            return QByteArrayView("*?<>\"|:").contains(c) || (c >= 0 && c < 0x20);
        })) {
        return std::nullopt;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE find =
        ::FindFirstFileExW(widePath(appendComponent(dir, name)).c_str(), FindExInfoBasic, &found,
                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    ::FindClose(find);
    const std::optional<DWORD> followed = followedAttributes(dir, found);
    if (!followed) {
        return std::nullopt;
    }
    return Entry{fromWide(found.cFileName), found.dwFileAttributes, *followed};
}

struct Resolved {
    QByteArray path;
    Entry last;  // the last name's entry; a root's own for a path without names
};

// Resolves the names in turn; every name but the last must be a folder.
std::optional<Resolved> resolveParts(const PathParts& parts) {
    QByteArray resolved = parts.root;
    resolved.replace('/', '\\');
    Entry last{resolved, FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY};
    if (parts.names.empty()) {
        if (resolved.isEmpty()) {
            return Resolved{QByteArrayLiteral("."), last};
        }
        return isDirectory(resolved) ? std::optional<Resolved>(Resolved{resolved, last})
                                     : std::nullopt;
    }
    for (std::size_t i = 0; i < parts.names.size(); ++i) {
        if (i > 0 && !isFolder(last.followed)) {
            return std::nullopt;
        }
        const std::optional<Entry> entry = findEntry(resolved, parts.names[i]);
        if (!entry) {
            return std::nullopt;
        }
        last = *entry;
        resolved = appendComponent(resolved, entry->name);
    }
    return Resolved{resolved, last};
}

bool isPlainFile(DWORD followed) {
    return !isFolder(followed) && (followed & FILE_ATTRIBUTE_DEVICE) == 0;
}

// The names of the entries of an already resolved folder that `wanted(name, entry)` accepts,
// in listing order; ok = false where the folder cannot be listed.
template <typename Wanted>
Listing listResolved(const QByteArray& dir, Wanted wanted) {
    std::vector<QByteArray> names;
    const bool ok = forEachEntry(dir, [&](const WIN32_FIND_DATAW& entry) {
        QByteArray name = fromWide(entry.cFileName);
        if (wanted(name, entry)) {
            names.push_back(std::move(name));
        }
        return true;
    });
    return sortedListing(ok, std::move(names));
}

}  // namespace

QByteArray separator() {
    return QByteArrayLiteral("\\");
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

qsizetype rootLength(QByteArrayView path) {
    const qsizetype size = path.size();
    if (size >= 2 && path[1] == ':' && isDriveLetter(path[0])) {
        return size >= 3 && isSeparator(path[2]) ? 3 : 2;
    }
    if (size >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // "\\?\C:\..." and "\\?\UNC\server\share\...", or "\\server\share\...".
        qsizetype at = 2;
        if (size >= 4 && (path[2] == '?' || path[2] == '.') && isSeparator(path[3])) {
            const QByteArrayView inner = path.sliced(4);
            if (inner.size() >= 2 && inner[1] == ':' && isDriveLetter(inner[0])) {
                return 4 + std::min<qsizetype>(3, inner.size());
            }
            if (!(inner.size() >= 4 && equalsFolded(inner.first(3), "UNC") &&
                  isSeparator(inner[3]))) {
                return 4;
            }
            at = 8;
        }
        for (int names = 0; names < 2 && at < size; ++names) {
            while (at < size && !isSeparator(path[at])) {
                ++at;
            }
            if (at < size) {
                ++at;
            }
        }
        return at;
    }
    return size >= 1 && isSeparator(path[0]) ? 1 : 0;
}

QByteArray fromQtFolder(const QString& folder) {
    QByteArray path = QDir::toNativeSeparators(folder).toUtf8();
    while (path.size() > rootLength(path) && path.endsWith('\\')) {
        path.chop(1);
    }
    return path;
}

std::optional<QByteArray> resolvePath(const QByteArray& path) {
    const std::optional<Resolved> resolved = resolveParts(splitPath(path));
    return resolved ? std::optional<QByteArray>(resolved->path) : std::nullopt;
}

std::optional<QByteArray> resolveFolder(const PathParts& parts) {
    const std::optional<Resolved> dir = resolveParts(parts);
    if (!dir || !isFolder(dir->last.followed)) {
        return std::nullopt;
    }
    return dir->path;
}

QByteArray entryPath(const QByteArray& folder, const QByteArray& name) {
    const std::optional<Entry> stored = findEntry(folder, name);
    return appendComponent(folder, stored ? stored->name : name);
}

std::optional<FileTimes> fileTimes(const QByteArray& path) {
    const std::optional<QByteArray> resolved = resolvePath(path);
    const std::optional<FollowedInfo> info =
        resolved ? followedInfo(*resolved) : std::optional<FollowedInfo>();
    if (!info || !isPlainFile(info->attributes)) {
        return std::nullopt;
    }
    return FileTimes{info->size, info->modified};
}

std::optional<FoundFile> lookupFile(const QByteArray& path) {
    const std::optional<Resolved> resolved = resolveParts(splitPath(path));
    if (!resolved || resolved->path == "." || isHiddenEntry(resolved->last.own) ||
        !isPlainFile(resolved->last.followed)) {
        return std::nullopt;
    }
    return FoundFile{resolved->path, resolved->last.name};
}

bool folderExists(const QByteArray& dir) {
    const std::optional<Resolved> resolved = resolveParts(splitPath(dir));
    return resolved && isFolder(resolved->last.followed);
}

bool folderReadable(const QByteArray& dir, QString* why) {
    const std::optional<Resolved> resolved = resolveParts(splitPath(dir));
    if (!resolved || !isFolder(resolved->last.followed) ||
        forEachEntry(resolved->path, [](const WIN32_FIND_DATAW&) { return false; })) {
        return true;
    }
    if (why) {
        *why = systemError(::GetLastError());
    }
    return false;
}

Listing listResolvedFiles(const QByteArray& dir, QByteArrayView pattern, Links links) {
    return listResolved(dir, [&](const QByteArray& name, const WIN32_FIND_DATAW& entry) {
        if (isHiddenEntry(entry.dwFileAttributes) || !wildcardMatch(pattern, name)) {
            return false;
        }
        if (isLink(entry) && links == Links::Excluded) {
            return false;
        }
        const std::optional<DWORD> followed = followedAttributes(dir, entry);
        return followed && isPlainFile(*followed);
    });
}

Listing listResolvedFolders(const QByteArray& dir) {
    return listResolved(dir, [&](const QByteArray&, const WIN32_FIND_DATAW& entry) {
        const std::optional<DWORD> followed = followedAttributes(dir, entry);
        return followed && isFolder(*followed);
    });
}

bool existsAsNamed(const QByteArray& path) {
    return !path.isEmpty() && followedInfo(path).has_value();
}

std::optional<QByteArray> canonicalPath(const QByteArray& path) {
    if (std::optional<QByteArray> final = finalPath(path)) {
        return final;
    }
    // Some implementations of the API (Wine's) name no final path longer than 260 characters:
    // then each name as its folder stores it, which is the same install for the same path.
    return followedInfo(path) ? resolvePath(path) : std::nullopt;
}

}  // namespace rendix::platform
