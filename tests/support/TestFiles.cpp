#include "support/TestFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace rendix::testing {

QByteArray pathIn(const QByteArray& base, QByteArrayView relative) {
    return base + platform::separator() +
           relative.toByteArray().replace('/', platform::separator());
}

QByteArray slashed(QByteArray path) {
    return path.replace(platform::separator(), "/");
}

TempDir::TempDir() : m_path(platform::fromQtFolder(m_dir.path())) {
    if (!m_dir.isValid()) {
        qFatal("test fixture: cannot create temporary folder %s", m_path.constData());
    }
}

TempDir::~TempDir() {
    std::error_code error;  // remove_all does not follow links
    fs::remove_all(fsPath(m_path), error);
}

void makeFolder(const QByteArray& path) {
    std::error_code error;
    fs::create_directories(fsPath(path), error);
    if (!fs::is_directory(fsPath(path), error)) {
        qFatal("test fixture: cannot create folder %s", path.constData());
    }
}

void writeBytes(const QByteArray& path, const QByteArray& bytes) {
    std::error_code error;  // a folder that cannot be made fails the write
    fs::create_directories(fsPath(path).parent_path(), error);
    std::ofstream file(fsPath(path), std::ios::binary);
    if (!file.write(bytes.constData(), bytes.size()).flush()) {
        qFatal("test fixture: cannot write %s", path.constData());
    }
}

QByteArray readBytes(const QByteArray& path) {
    std::ifstream file(fsPath(path), std::ios::binary);
    return QByteArray::fromStdString({std::istreambuf_iterator<char>(file), {}});
}

QByteArray dataFile(const char* dataFolder, const QByteArray& name) {
    const QByteArray path = QByteArray(dataFolder) + '/' + name;
    if (!exists(path)) {
        qFatal("test fixture: cannot find test data %s", path.constData());
    }
    return readBytes(path);
}

bool exists(const QByteArray& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(fsPath(path), error));
}

std::vector<QByteArray> folderNames(const QByteArray& dir) {
    std::vector<QByteArray> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(fsPath(dir), error)) {
        names.push_back(fsBytes(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace rendix::testing
