#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <vector>

// Failures show byte strings as text, not as lists of characters.
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

namespace rendix::testing {

// `base`, then `relative`, whose parts tests write with "/": joined with the system's own
// separator ("/" on Linux, "\" on Windows), as Rendix itself names the files.
QByteArray pathIn(const QByteArray& base, QByteArrayView relative);

// The path with the system's separator written as "/", to compare with paths as tests write
// them.
QByteArray slashed(QByteArray path);

// A temporary folder, removed with everything in it when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();  // QTemporaryDir would leave names that are not valid UTF-8 behind
    QByteArray path() const { return m_path; }  // as bytes, without a trailing separator
    QByteArray file(QByteArrayView relative) const { return pathIn(m_path, relative); }

private:
    QTemporaryDir m_dir;
    QByteArray m_path;
};

// Writes bytes as the whole content of a file, creating its folders. Aborts the test
// program when it cannot (a test that cannot build its fixture must not go on).
void writeBytes(const QByteArray& path, const QByteArray& bytes);
// The whole content; an empty array for a missing file (see exists()).
QByteArray readBytes(const QByteArray& path);
bool exists(const QByteArray& path);
// The bytes of a checked-in file of the test area's data folder (tests/<area>/data);
// aborts when it is missing, so a misspelt case name cannot pass as an empty file.
QByteArray dataFile(const char* dataFolder, const QByteArray& name);
#define RENDIX_DATA(name) ::rendix::testing::dataFile(RENDIX_TEST_DATA, name)
void makeFolder(const QByteArray& path);
// The names in a folder, sorted in byte order, hidden ones included.
std::vector<QByteArray> folderNames(const QByteArray& dir);

// What each system does its own way (TestFiles_posix.cpp, TestFiles_windows.cpp).

// A path as std::filesystem takes it, and a name it gives back, as Rendix's bytes.
std::filesystem::path fsPath(const QByteArray& path);
QByteArray fsBytes(const std::filesystem::path& path);

// The path with every link, "." and ".." resolved, as the system names it.
QByteArray realPath(const QByteArray& path);

// Makes the file read-only as its system knows it: no write permission bit on Linux, the
// read-only attribute on Windows.
void makeReadOnly(const QByteArray& path);

// Sets the last change of the file (of a link itself, not what it leads to), in seconds since
// the epoch.
void setModified(const QByteArray& path, qint64 seconds);

// Why this system cannot make symbolic links for a test (Wine cannot), or nullptr; then
// makeLink makes `link` lead to `target` (relative to the link's folder, as written).
const char* linksUnavailable();
bool makeLink(const QByteArray& target, const QByteArray& link);

// Makes a named pipe (a FIFO) at `path`; false where the file system holds none (Windows).
bool makePipe(const QByteArray& path);

// Why the places where the launchers of Linux put the game (~/.local/share, ~/.steam, Heroic,
// Lutris, ~/.wine, LinuxGSM) are not searched here (Windows has places of its own), or
// nullptr.
const char* linuxLauncherPlacesUnavailable();

// Why names here cannot be any bytes but "/" and NUL, differ in letter case only, or be hidden
// by a leading "." (Windows), or nullptr.
const char* posixNamesUnavailable();

// Why this system's files have no owner, group, permission bits and extended attributes of
// the POSIX kind, and no other account to run as (Windows has ACLs and streams in their
// place), or nullptr. The helpers below are for tests that check for this first; elsewhere
// they do nothing and report failure.
const char* posixFilesUnavailable();
bool setMode(const QByteArray& path, unsigned mode);
unsigned modeOf(const QByteArray& path);  // the permission bits (07777), 0 when missing
bool setOwner(const QByteArray& path, unsigned user, unsigned group);
std::pair<unsigned, unsigned> ownerOf(const QByteArray& path);
unsigned setUmask(unsigned mask);  // returns the previous mask
bool setAttribute(const QByteArray& path, const QByteArray& name, const QByteArray& value);
std::map<QByteArray, QByteArray> attributesOf(const QByteArray& path);
// What a program run by runProgram did: its exit status (-1 where it crashed or did not end
// within a minute), its standard output and error.
struct ProgramRun {
    int exit = -1;
    QByteArray out;
    QByteArray err;
};
// Runs `argv` (the program first) with exactly `environment` ("NAME=value" entries) and waits
// for it. The arguments reach it as bytes, as a shell passes them on Linux; Windows takes them
// as UTF-8 text.
ProgramRun runProgram(const std::vector<QByteArray>& argv,
                      const std::vector<QByteArray>& environment);

// What `action` returns when run in a child process under the unprivileged account 65534
// (nobody), for what permission bits stop for every account but root; "" where the child
// could not become that account or ended early.
QByteArray runAsNobody(const std::function<QByteArray()>& action);

}  // namespace rendix::testing
