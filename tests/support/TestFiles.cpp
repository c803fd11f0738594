#include "support/TestFiles.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

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

QByteArray runAsNobody(const std::function<QByteArray()>& action) {
    constexpr uid_t kNobody = 65534;
    int out[2];
    if (::pipe(out) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::getuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(1);
        }
        const QByteArray text = action();
        const bool written = ::write(out[1], text.constData(), text.size()) == text.size();
        ::_exit(written ? 0 : 1);
    }
    ::close(out[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t got = 0; child > 0 && (got = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, got);
    }
    ::close(out[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return {};
    }
    return text;
}

}  // namespace rendix::testing
