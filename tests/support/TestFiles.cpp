#include "support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;  // names stay the bytes the system lists, UTF-8 or not

namespace rendix::testing {

TempDir::TempDir() : m_path(m_dir.path().toLocal8Bit()) {
    if (!m_dir.isValid()) {
        qFatal("test fixture: cannot create temporary folder %s", m_path.constData());
    }
}

TempDir::~TempDir() {
    std::error_code error;  // remove_all does not follow links
    fs::remove_all(m_path.constData(), error);
}

void makeFolder(const QByteArray& path) {
    std::error_code error;
    fs::create_directories(path.constData(), error);
    if (!fs::is_directory(path.constData(), error)) {
        qFatal("test fixture: cannot create folder %s", path.constData());
    }
}

void writeBytes(const QByteArray& path, const QByteArray& bytes) {
    std::error_code error;  // a folder that cannot be made fails the write
    fs::create_directories(fs::path(path.constData()).parent_path(), error);
    std::ofstream file(path.constData(), std::ios::binary);
    if (!file.write(bytes.constData(), bytes.size()).flush()) {
        qFatal("test fixture: cannot write %s", path.constData());
    }
}

QByteArray readBytes(const QByteArray& path) {
    std::ifstream file(path.constData(), std::ios::binary);
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
    return fs::exists(fs::symlink_status(path.constData(), error));
}

std::vector<QByteArray> folderNames(const QByteArray& dir) {
    std::vector<QByteArray> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.constData(), error)) {
        names.push_back(QByteArray::fromStdString(entry.path().filename().native()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace rendix::testing
