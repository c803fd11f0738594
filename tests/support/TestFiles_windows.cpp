#include "support/TestFiles.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <windows.h>

#include <string>

#include "platform/Paths.h"

namespace rendix::testing {

namespace {

std::wstring wide(const QByteArray& path) {
    return QString::fromUtf8(path).toStdWString();
}

}  // namespace

std::filesystem::path fsPath(const QByteArray& path) {
    return wide(path);
}

QByteArray fsBytes(const std::filesystem::path& path) {
    return QString::fromStdWString(path.native()).toUtf8();
}

QByteArray realPath(const QByteArray& path) {
    const HANDLE file = ::CreateFileW(wide(path).c_str(), 0, 7, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    wchar_t name[32768];
    const DWORD size = file == INVALID_HANDLE_VALUE
                           ? 0
                           : ::GetFinalPathNameByHandleW(file, name, 32768, FILE_NAME_NORMALIZED);
    ::CloseHandle(file);
    if (size == 0 || size >= 32768) {
        return path;
    }
    QString real = QString::fromWCharArray(name, size);
    if (real.startsWith(QLatin1String("\\\\?\\UNC\\"))) {
        real.replace(0, 8, QLatin1String("\\\\"));
    } else if (real.startsWith(QLatin1String("\\\\?\\"))) {
        real.remove(0, 4);
    }
    return real.toUtf8();
}

void makeReadOnly(const QByteArray& path) {
    const std::wstring name = wide(path);
    if (!::SetFileAttributesW(name.c_str(),
                              ::GetFileAttributesW(name.c_str()) | FILE_ATTRIBUTE_READONLY)) {
        qFatal("test fixture: cannot make %s read-only", path.constData());
    }
}

void setModified(const QByteArray& path, qint64 seconds) {
    const HANDLE file =
        ::CreateFileW(wide(path).c_str(), FILE_WRITE_ATTRIBUTES, 7, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    // FILETIME counts 100 ns steps from 1601, 11644473600 seconds before the epoch.
    ULARGE_INTEGER ticks{};
    ticks.QuadPart = static_cast<ULONGLONG>(seconds + 11644473600LL) * 10000000;
    const FILETIME then{ticks.LowPart, ticks.HighPart};
    const bool set = file != INVALID_HANDLE_VALUE && ::SetFileTime(file, nullptr, &then, &then);
    ::CloseHandle(file);
    if (!set) {
        qFatal("test fixture: cannot set the time of %s", path.constData());
    }
}

const char* linksUnavailable() {
    // Wine's CreateSymbolicLinkW reports success and makes nothing: try once.
    static const bool available = [] {
        wchar_t folder[MAX_PATH + 1];
        const DWORD size = ::GetTempPathW(MAX_PATH + 1, folder);
        const std::wstring link = std::wstring(folder, size) + L"rendix-link-probe";
        ::RemoveDirectoryW(link.c_str());
        ::CreateSymbolicLinkW(
            link.c_str(), std::wstring(folder, size).c_str(),
            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
        const DWORD attributes = ::GetFileAttributesW(link.c_str());
        ::RemoveDirectoryW(link.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }();
    return available ? nullptr
                     : "this Windows makes no symbolic links (Wine's CreateSymbolicLinkW does "
                       "nothing; Windows needs developer mode or the right to make them)";
}

bool makeLink(const QByteArray& target, const QByteArray& link) {
    const QByteArray leadsTo = platform::isAbsolutePath(target)
                                   ? target
                                   : platform::joinPath(platform::parentPath(link), {target});
    const DWORD at = ::GetFileAttributesW(wide(leadsTo).c_str());
    DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (at != INVALID_FILE_ATTRIBUTES && (at & FILE_ATTRIBUTE_DIRECTORY)) {
        flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
    }
    return ::CreateSymbolicLinkW(wide(link).c_str(),
                                 wide(QByteArray(target).replace('/', '\\')).c_str(), flags) &&
           ::GetFileAttributesW(wide(link).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool makePipe(const QByteArray&) {
    return false;
}

const char* linuxLauncherPlacesUnavailable() {
    return "Windows has places of its own where launchers put the game (the registry, "
           "C:\\UnrealTournament), which the Windows tests search";
}

const char* posixNamesUnavailable() {
    return "Windows stores names as UTF-16 (no bytes that are not UTF-8) without control "
           "characters, tells no two names apart by letter case only and hides a file by an "
           "attribute rather than by a leading \".\"";
}

const char* posixFilesUnavailable() {
    return "Windows files have no POSIX owner, group, permission bits or extended attributes, "
           "and tests run no other account (ACLs, the read-only attribute and streams stand in; "
           "see the Windows tests)";
}

bool setMode(const QByteArray& path, unsigned mode) {
    const std::wstring name = wide(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           ::SetFileAttributesW(name.c_str(), (mode & 0222) ? attributes & ~FILE_ATTRIBUTE_READONLY
                                                            : attributes | FILE_ATTRIBUTE_READONLY);
}

unsigned modeOf(const QByteArray& path) {
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return 0;
    }
    return (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
}

bool setOwner(const QByteArray&, unsigned, unsigned) {
    return false;
}

std::pair<unsigned, unsigned> ownerOf(const QByteArray&) {
    return {~0u, ~0u};
}

unsigned setUmask(unsigned) {
    return 0;
}

bool setAttribute(const QByteArray&, const QByteArray&, const QByteArray&) {
    return false;
}

std::map<QByteArray, QByteArray> attributesOf(const QByteArray&) {
    return {};
}

QByteArray runAsNobody(const std::function<QByteArray()>&) {
    return {};
}

ProgramRun runProgram(const std::vector<QByteArray>& argv,
                      const std::vector<QByteArray>& environment) {
    QStringList arguments;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        arguments << QString::fromUtf8(argv[i]);
    }
    QProcessEnvironment variables;
    for (const QByteArray& entry : environment) {
        const qsizetype equals = entry.indexOf('=');
        variables.insert(QString::fromUtf8(entry.first(equals)),
                         QString::fromUtf8(entry.sliced(equals + 1)));
    }
    QProcess process;
    process.setProcessEnvironment(variables);
    process.start(QString::fromUtf8(argv.front()), arguments);
    const bool ended = process.waitForFinished(60000);
    const bool exited = ended && process.exitStatus() == QProcess::NormalExit;
    return {exited ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

}  // namespace rendix::testing
