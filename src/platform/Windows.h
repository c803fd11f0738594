#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <windows.h>

#include <optional>
#include <string>

// What the Windows parts of the platform layer (the *_windows.cpp files) share: names across
// the API boundary, handles, the system's reasons and the pieces of a "\" path. Nothing
// outside them includes this.
//
// Inside Rendix a path is UTF-8 with "\" between its parts; the W functions of the system
// take UTF-16. Every call that takes a path gets it through widePath, which also reaches past
// the 260 characters of the old path limit.
namespace rendix::platform {

// The system's reason for error `code` (GetLastError), in the user's language, without the
// trailing full stop and line break that the system adds.
QString systemError(DWORD code);

// The error of an operation that the test seam makes fail. It reads as the same fault does on
// Linux ("Input/output error"), so that a test's expected messages hold on both systems.
inline constexpr DWORD kInjectedFault = 0x20000000 | ERROR_IO_DEVICE;  // an application's code

// A path for the W functions: "/" taken as "\", made absolute (as GetFullPathNameW does,
// which also takes "." and ".." away), and given the "\\?\" prefix where it is long enough
// to need it.
std::wstring widePath(QByteArrayView path);

// UTF-16 text of the system as Rendix's UTF-8 bytes; a "\\?\" prefix of a path is dropped.
QByteArray fromWide(const wchar_t* text, qsizetype size = -1);
inline QByteArray fromWide(const std::wstring& text) {
    return fromWide(text.data(), static_cast<qsizetype>(text.size()));
}

// The folder part of a path ("." when there is none), its last part, and `name` in folder
// `folder` (one separator between them, none after a root's own, the name alone in the
// current folder).
QByteArray folderOf(const QByteArray& path);
QByteArray lastComponent(const QByteArray& path);
QByteArray appendComponent(const QByteArray& folder, const QByteArray& name);

// What a path leads to, links (reparse points) followed.
struct FollowedInfo {
    DWORD attributes = 0;
    qint64 size = 0;
    qint64 modified = 0;  // seconds since the epoch
};
std::optional<FollowedInfo> followedInfo(const QByteArray& path);

inline bool isFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
inline bool isHiddenEntry(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}
// Whether a reparse point of this tag is a symbolic link or a junction. Other reparse points
// (files that a cloud service keeps, deduplicated files) are the files they stand for.
inline bool isLinkTag(DWORD tag) {
    return tag == static_cast<DWORD>(IO_REPARSE_TAG_SYMLINK) ||
           tag == static_cast<DWORD>(IO_REPARSE_TAG_MOUNT_POINT);
}
inline bool isLink(DWORD attributes, DWORD tag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && isLinkTag(tag);
}
// A folder's entry as FindFirstFileExW gives it, which holds the reparse tag of a link.
inline bool isLink(const WIN32_FIND_DATAW& entry) {
    return isLink(entry.dwFileAttributes, entry.dwReserved0);
}

// Whether `path`, links followed, is a folder.
bool isDirectory(const QByteArray& path);

// The path as the system names it once every link, "." and ".." is resolved (the final path
// of an open handle), or nothing where it leads nowhere.
std::optional<QByteArray> finalPath(const QByteArray& path);

// An open handle that closes itself.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept : m_handle(other.release()) {}
    Handle& operator=(Handle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid()) {
            ::CloseHandle(m_handle);
        }
        m_handle = handle;
    }
    HANDLE release() {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }
    // Closes and reports whether the close succeeded.
    bool close() {
        const HANDLE handle = release();
        return handle == INVALID_HANDLE_VALUE || handle == nullptr || ::CloseHandle(handle);
    }

private:
    HANDLE m_handle;
};

// Opens `path` for `access` with every kind of sharing, links followed unless `flags` holds
// FILE_FLAG_OPEN_REPARSE_POINT; folders open too (backup semantics, which asks for no
// privilege when only attributes are read).
Handle openPath(const QByteArray& path, DWORD access, DWORD flags = 0);

// Calls `visit(entry)` for each entry of folder `dir` but "." and "..", until it returns false.
// False when the folder cannot be listed to its end (GetLastError then tells why).
template <typename Visit>
bool forEachEntry(const QByteArray& dir, Visit visit) {
    const std::wstring pattern = widePath(appendComponent(dir.isEmpty() ? "." : dir, "*"));
    WIN32_FIND_DATAW entry{};
    const HANDLE find =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                           FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty root has not even "."
    }
    bool complete = true;
    do {
        const std::wstring_view name(entry.cFileName);
        if (name != L"." && name != L".." && !visit(entry)) {
            break;
        }
        if (!::FindNextFileW(find, &entry)) {
            complete = ::GetLastError() == ERROR_NO_MORE_FILES;
            break;
        }
    } while (true);
    const DWORD error = ::GetLastError();
    ::FindClose(find);
    ::SetLastError(error);
    return complete;
}

}  // namespace rendix::platform
