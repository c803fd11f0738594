#include "support/TestFiles.h"

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace rendix::testing {

namespace {

[[noreturn]] void die(const char* what, const QByteArray& path) {
    std::fprintf(stderr, "test fixture: cannot %s %s\n", what, path.constData());
    std::abort();
}

}  // namespace

TempDir::TempDir() : m_path(m_dir.path().toLocal8Bit()) {
    if (!m_dir.isValid()) {
        die("create temporary folder", m_path);
    }
}

TempDir::~TempDir() {
    // Depth first, without following links, with the operating system's own listing.
    ::nftw(
        m_path.constData(),
        [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

QByteArray TempDir::file(const QByteArray& relative) const {
    return m_path + '/' + relative;
}

void makeFolder(const QByteArray& path) {
    QByteArray partial;
    for (const QByteArray& part : path.split('/')) {
        partial += part;
        if (!partial.isEmpty()) {
            ::mkdir(partial.constData(), 0755);
        }
        partial += '/';
    }
    struct stat info {};
    if (::stat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        die("create folder", path);
    }
}

void writeBytes(const QByteArray& path, const QByteArray& bytes) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0) {
        makeFolder(path.left(slash));
    }
    std::FILE* file = std::fopen(path.constData(), "wb");
    if (!file) {
        die("open", path);
    }
    const size_t size = static_cast<size_t>(bytes.size());
    if (std::fwrite(bytes.constData(), 1, size, file) != size || std::fclose(file) != 0) {
        die("write", path);
    }
}

QByteArray readBytes(const QByteArray& path) {
    QByteArray result;
    std::FILE* file = std::fopen(path.constData(), "rb");
    if (!file) {
        return result;
    }
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        result.append(buffer, static_cast<qsizetype>(got));
    }
    std::fclose(file);
    return result;
}

QByteArray dataFile(const char* dataFolder, const QByteArray& name) {
    const QByteArray path = QByteArray(dataFolder) + '/' + name;
    if (!exists(path)) {
        die("find test data", path);
    }
    return readBytes(path);
}

bool exists(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}

std::vector<QByteArray> folderNames(const QByteArray& dir) {
    std::vector<QByteArray> names;
    if (DIR* handle = ::opendir(dir.constData())) {
        while (const dirent* entry = ::readdir(handle)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(handle);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace rendix::testing
