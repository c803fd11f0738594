#pragma once

#include <QByteArray>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace rendix::testing {

// A temporary folder, removed with everything in it when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();  // QTemporaryDir would leave names that are not valid UTF-8 behind
    QByteArray path() const { return m_path; }  // as bytes, without a trailing separator
    QByteArray file(const QByteArray& relative) const { return m_path + '/' + relative; }

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

// What `action` returns when run in a child process under the unprivileged account 65534
// (nobody), for what permission bits stop for every account but root; "" where the child
// could not become that account or ended early.
QByteArray runAsNobody(const std::function<QByteArray()>& action);

}  // namespace rendix::testing
