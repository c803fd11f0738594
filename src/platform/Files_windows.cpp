#include "platform/Files.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "platform/Windows.h"

namespace rendix::platform {

QString describe(const QByteArray& path) {
    return QString::fromUtf8(path);
}

QString injectedFault() {
    return systemError(kInjectedFault);
}

namespace {

// Writes and reads go in pieces of at most this size, so every piece is one operation of
// the test seam and large files take several.
constexpr DWORD kChunk = 64 * 1024;

// A leftover untouched for this long is no write in progress (those take far less).
constexpr qint64 kLeftoverSeconds = 60;

// The attributes a file may be given; the others belong to the file system.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_TEMPORARY;

// Reads the next piece of `file` into `buffer` (one seam Read). 0 or the error code; `got`
// is 0 at the end of the file.
DWORD readPiece(HANDLE file, char* buffer, DWORD& got) {
    if (injectFault(Operation::Read)) {
        return kInjectedFault;
    }
    got = 0;
    return ::ReadFile(file, buffer, kChunk, &got, nullptr) ? 0 : ::GetLastError();
}

// Writes all of `data`, one seam Write per piece. 0 or the error code.
DWORD writeAll(HANDLE file, const char* data, qsizetype size) {
    while (size > 0) {
        if (injectFault(Operation::Write)) {
            return kInjectedFault;
        }
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<qsizetype>(size, kChunk));
        if (!::WriteFile(file, data, piece, &written, nullptr)) {
            return ::GetLastError();
        }
        if (written == 0) {
            return ERROR_DISK_FULL;
        }
        data += written;
        size -= written;
    }
    return 0;
}

// The plain file's own entry, as its folder lists it: nothing for a folder, a link or a
// missing file.
std::optional<WIN32_FIND_DATAW> ownEntry(const QByteArray& path) {
    WIN32_FIND_DATAW entry{};
    const HANDLE find = ::FindFirstFileExW(widePath(path).c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    ::FindClose(find);
    return entry;
}

// Deletes a file of Rendix's own, read-only or not.
bool deleteOwnFile(const QByteArray& path) {
    const std::wstring wide = widePath(path);
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(wide.c_str());
}

// Removes the temporary files that killed runs of Rendix left in folder `dir`: plain files
// of Rendix's own temporary naming that were not written to for over a minute. Best effort:
// what cannot be removed stays, and the write goes on.
void removeLeftovers(const QByteArray& dir) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<qint64>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    std::vector<QByteArray> leftovers;
    forEachEntry(dir, [&](const WIN32_FIND_DATAW& entry) {
        const QByteArray name = fromWide(entry.cFileName);
        if (isLeftoverName(name) && !isFolder(entry.dwFileAttributes) &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            ticks(now) - ticks(entry.ftLastWriteTime) > kLeftoverSeconds * 10000000) {
            leftovers.push_back(name);
        }
        return true;
    });
    for (const QByteArray& name : leftovers) {
        deleteOwnFile(appendComponent(dir, name));
    }
}

// A hidden temporary file in a folder, removed unless it was kept.
class TempFile {
public:
    explicit TempFile(const QByteArray& dir) {
        static constexpr char kLetters[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        for (int tries = 0; tries < 100; ++tries) {
            QByteArray name = kTemporaryPrefix.toByteArray();
            for (qsizetype i = 0; i < kTemporaryRandomLength; ++i) {
                name += kLetters[QRandomGenerator::global()->bounded(62)];
            }
            const QByteArray path = appendComponent(dir, name);
            m_handle.reset(::CreateFileW(widePath(path).c_str(),
                                         GENERIC_READ | GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0,
                                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
            if (m_handle.valid()) {
                m_path = path;
                return;
            }
            m_error = ::GetLastError();
            if (m_error != ERROR_FILE_EXISTS && m_error != ERROR_ALREADY_EXISTS) {
                return;
            }
        }
    }
    ~TempFile() {
        m_handle.reset();
        if (!m_kept && !m_path.isEmpty()) {
            deleteOwnFile(m_path);
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool valid() const { return m_handle.valid(); }
    DWORD error() const { return m_error; }
    HANDLE handle() const { return m_handle.get(); }
    const QByteArray& path() const { return m_path; }
    // Gives the file its final attributes (it was made hidden), flushes and closes it; 0 or
    // the error code. The attributes are set first, since they are part of what is flushed.
    DWORD save(DWORD attributes) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = attributes;
        if (!::SetFileInformationByHandle(m_handle.get(), FileBasicInfo, &basic, sizeof basic)) {
            return ::GetLastError();
        }
        if (injectFault(Operation::Flush) || injectFault(Operation::Sync)) {
            return kInjectedFault;
        }
        if (!::FlushFileBuffers(m_handle.get())) {
            return ::GetLastError();
        }
        return m_handle.close() ? 0 : ::GetLastError();
    }
    void keep() { m_kept = true; }

private:
    Handle m_handle;
    QByteArray m_path;
    DWORD m_error = 0;
    bool m_kept = false;
};

// The steps of making a file through a temporary one.
enum class Step {
    CreateTemporary,
    Read,   // the content's source
    Write,  // the content
    Save,   // attributes, flush and close
    Place,  // the final replacement or move
    Taken,  // the final name, where it must not be replaced
};

// The step that failed and the system's error code; an error code of 0 is success.
struct StepFailure {
    Step step = Step::Save;
    DWORD error = 0;
};

// How a finished temporary file takes the target's name.
enum class Placement {
    Replace,       // over the target, keeping its ACL, attributes and streams
    NeverReplace,  // only while the name is free; Step::Taken otherwise
};

StepFailure place(TempFile& temp, const QByteArray& target, DWORD attributes, Placement placement) {
    const std::wstring from = widePath(temp.path());
    const std::wstring to = widePath(target);
    if (placement == Placement::NeverReplace) {
        if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = ::GetLastError();
            return {error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Step::Taken
                                                                                : Step::Place,
                    error};
        }
        temp.keep();
        return {};
    }
    // ReplaceFileW keeps what belongs to the file rather than to its content (the ACL, the
    // streams, the creation time); where the file system cannot do that, a plain replacing
    // move still changes the bytes all at once.
    if (::GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES ||
        !::ReplaceFileW(to.c_str(), from.c_str(), nullptr, 0, nullptr, nullptr)) {
        if (!::MoveFileExW(from.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return {Step::Place, ::GetLastError()};
        }
    }
    temp.keep();
    // Not every file system carries the attributes over (Wine's ReplaceFileW does not): the
    // file keeps its own.
    if ((::GetFileAttributesW(to.c_str()) & kSettableAttributes) != attributes) {
        ::SetFileAttributesW(to.c_str(), attributes);
    }
    return {};
}

// Makes the file `target` (resolved) through a hidden temporary file in its folder, after
// removing the folder's leftovers: `fill(handle)` writes the content and returns a
// StepFailure; then the file gets `attributes`, is flushed and closed, and takes the target's
// name as `placement` says. Whatever step fails, the temporary file goes and the target stays
// as it was.
template <typename Fill>
StepFailure writeThroughTemporary(const QByteArray& target, DWORD attributes, Placement placement,
                                  Fill fill) {
    const QByteArray dir = folderOf(target);
    removeLeftovers(dir);
    TempFile temp(dir);
    if (!temp.valid()) {
        return {Step::CreateTemporary, temp.error()};
    }
    if (const StepFailure filled = fill(temp.handle()); filled.error) {
        return filled;
    }
    if (const DWORD error = temp.save(attributes)) {
        return {Step::Save, error};
    }
    if (injectFault(Operation::Rename)) {
        return {Step::Place, kInjectedFault};
    }
    return place(temp, target, attributes, placement);
}

// What a failed step says, reading on from "could not write <path>: " (or "could not back
// up <source>: "): the file or folder concerned, unless the step wrote the very file the
// message names, and the system's reason.
QString stepError(const StepFailure& failed, const QByteArray& folder, const QByteArray& file,
                  bool namesFile) {
    const QString reason = systemError(failed.error);
    if (failed.step == Step::CreateTemporary) {
        return QStringLiteral("cannot create a temporary file in %1: %2")
            .arg(describe(folder), reason);
    }
    return namesFile ? reason : QStringLiteral("cannot write %1: %2").arg(describe(file), reason);
}

// Reads the print name of the link at `path` (where a symbolic link or junction says it
// leads), or nothing.
std::optional<QByteArray> linkTarget(const QByteArray& path) {
    const Handle link = openPath(path, FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT);
    // The layout of REPARSE_DATA_BUFFER for the two kinds of links.
    struct Reparse {
        DWORD tag;
        WORD dataLength;
        WORD reserved;
        WORD substituteOffset;
        WORD substituteLength;
        WORD printOffset;
        WORD printLength;
    };
    alignas(Reparse) char buffer[MAXIMUM_REPARSE_DATA_BUFFER_SIZE];
    DWORD size = 0;
    if (!link.valid() ||
        !::DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer, sizeof buffer,
                           &size, nullptr) ||
        size < sizeof(Reparse)) {
        return std::nullopt;
    }
    Reparse header{};
    std::memcpy(&header, buffer, sizeof header);
    // A symbolic link's names follow a field of flags; a junction's follow at once.
    const std::size_t names =
        sizeof(Reparse) + (header.tag == static_cast<DWORD>(IO_REPARSE_TAG_SYMLINK) ? 4 : 0);
    const bool usePrint = header.printLength > 0;
    const std::size_t offset = names + (usePrint ? header.printOffset : header.substituteOffset);
    const std::size_t length = usePrint ? header.printLength : header.substituteLength;
    if (offset + length > size) {
        return std::nullopt;
    }
    QByteArray target = fromWide(reinterpret_cast<const wchar_t*>(buffer + offset),
                                 static_cast<qsizetype>(length / sizeof(wchar_t)));
    if (target.startsWith("\\??\\")) {
        target.remove(0, 4);
    }
    return isAbsolutePath(target) ? target : appendComponent(folderOf(path), target);
}

}  // namespace

std::optional<LinkEnd> linkEnd(const QByteArray& path) {
    const std::optional<WIN32_FIND_DATAW> entry = ownEntry(path);
    if (!entry || !isLink(*entry)) {
        return std::nullopt;
    }
    if (std::optional<QByteArray> real = finalPath(path)) {
        return LinkEnd{*real, true};
    }
    QByteArray at = path;
    for (int hop = 0; hop < 63; ++hop) {  // the system's own limit for a chain
        const std::optional<QByteArray> next = linkTarget(at);
        if (!next) {
            break;
        }
        at = *next;
    }
    return LinkEnd{at, false};
}

FileState fileState(const QByteArray& path) {
    const std::optional<FollowedInfo> info = followedInfo(path);
    if (!info) {
        return {};
    }
    const bool plain = !isFolder(info->attributes) && !(info->attributes & FILE_ATTRIBUTE_DEVICE);
    return {plain ? FileKind::Regular : FileKind::Other,
            (info->attributes & FILE_ATTRIBUTE_READONLY) != 0};
}

Result readResolved(const QByteArray& path, const QByteArray& resolved, Links links,
                    QByteArray& bytes) {
    const auto missing = [&] { return noFile(path); };
    const auto unreadable = [&](DWORD error) {
        return platform::unreadable(path, systemError(error));
    };
    const DWORD noLinks = links == Links::Excluded ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
    const Handle file = openPath(resolved, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN | noLinks);
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? missing()
                                                                              : unreadable(error);
    }
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof tag)) {
        return unreadable(::GetLastError());
    }
    if (noLinks && isLink(tag.FileAttributes, tag.ReparseTag)) {
        return Result::failure(QStringLiteral("the file is a symbolic link"), Problem::Unreadable,
                               path);
    }
    if (isFolder(tag.FileAttributes)) {
        return missing();
    }
    QByteArray content;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size)) {
        content.reserve(static_cast<qsizetype>(size.QuadPart));
    }
    std::vector<char> buffer(kChunk);
    for (;;) {
        DWORD got = 0;
        if (const DWORD error = readPiece(file.get(), buffer.data(), got)) {
            return unreadable(error);
        }
        if (got == 0) {
            break;
        }
        content.append(buffer.data(), static_cast<qsizetype>(got));
    }
    bytes = std::move(content);
    return Result::success();
}

Result rewriteFile(const RewriteTarget& target, const QByteArray& bytes) {
    // A changed file is due for backing up, as the archive attribute says.
    const DWORD old = ::GetFileAttributesW(widePath(target.file).c_str());
    const DWORD attributes =
        (old == INVALID_FILE_ATTRIBUTES ? 0 : old & kSettableAttributes) | FILE_ATTRIBUTE_ARCHIVE;
    const StepFailure made =
        writeThroughTemporary(target.file, attributes, Placement::Replace, [&](HANDLE file) {
            return StepFailure{Step::Write, writeAll(file, bytes.constData(), bytes.size())};
        });
    if (!made.error) {
        return Result::success();
    }
    return Result::failure(
        stepError(made, folderOf(target.file), target.file, target.file == target.path),
        Problem::Other, target.path);
}

Result copyFileNew(const QByteArray& source, const QByteArray& target) {
    if (injectFault(Operation::Copy)) {
        return copyFault(target);
    }
    const std::optional<QByteArray> from = resolvePath(source);
    const std::optional<FollowedInfo> info =
        from ? followedInfo(*from) : std::optional<FollowedInfo>();
    if (!info || isFolder(info->attributes)) {
        return noFile(source);
    }
    // Any letter case of the target counts as the target: the file system finds it.
    const std::optional<QByteArray> to = resolveForWrite(target);
    if (!to) {
        return noFolderFor(target);
    }
    const auto taken = [&] { return nameTaken(*to); };
    if (ownEntry(*to)) {
        return taken();
    }
    const auto unreadable = [&](DWORD error) {
        return unreadableSource(*from, systemError(error));
    };
    if (injectFault(Operation::Open)) {
        return unreadable(kInjectedFault);
    }
    const Handle in = openPath(*from, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN);
    if (!in.valid()) {
        return unreadable(::GetLastError());
    }
    // A name taken since the look above (another Rendix making the same backup) is
    // reported as taken, so that the caller can move on to another name.
    const StepFailure made = writeThroughTemporary(
        *to, (info->attributes & kSettableAttributes) | FILE_ATTRIBUTE_ARCHIVE,
        Placement::NeverReplace, [&](HANDLE out) {
            std::vector<char> buffer(kChunk);
            for (;;) {
                DWORD got = 0;
                if (const DWORD error = readPiece(in.get(), buffer.data(), got)) {
                    return StepFailure{Step::Read, error};
                }
                if (got == 0) {
                    return StepFailure{};
                }
                if (const DWORD error = writeAll(out, buffer.data(), got)) {
                    return StepFailure{Step::Write, error};
                }
            }
        });
    if (!made.error) {
        return Result::success();
    }
    if (made.step == Step::Read) {
        return unreadable(made.error);
    }
    if (made.step == Step::Taken) {
        return taken();
    }
    return Result::failure(stepError(made, folderOf(*to), *to, false), Problem::Other, *to);
}

Result removeResolved(const QByteArray& resolved) {
    const std::wstring wide = widePath(resolved);
    if (::DeleteFileW(wide.c_str())) {
        return Result::success();
    }
    DWORD error = ::GetLastError();
    // Linux deletes a file without write permission (the folder decides); so does Rendix here.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) &&
        ::SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        if (::DeleteFileW(wide.c_str())) {
            return Result::success();
        }
        error = ::GetLastError();
        ::SetFileAttributesW(wide.c_str(), attributes);
    }
    return Result::failure(
        QStringLiteral("Cannot delete %1: %2").arg(describe(resolved), systemError(error)));
}

}  // namespace rendix::platform
