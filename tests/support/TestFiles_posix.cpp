#include "support/TestFiles.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

extern char** environ;

namespace rendix::testing {

std::filesystem::path fsPath(const QByteArray& path) {
    return path.constData();  // names stay the bytes the system lists, UTF-8 or not
}

QByteArray fsBytes(const std::filesystem::path& path) {
    return QByteArray::fromStdString(path.native());
}

QByteArray realPath(const QByteArray& path) {
    char* real = ::realpath(path.constData(), nullptr);
    const QByteArray result = real ? QByteArray(real) : path;
    std::free(real);
    return result;
}

void makeReadOnly(const QByteArray& path) {
    if (::chmod(path.constData(), 0444) != 0) {
        qFatal("test fixture: cannot make %s read-only", path.constData());
    }
}

void setModified(const QByteArray& path, qint64 seconds) {
    const timespec times[2] = {{static_cast<std::time_t>(seconds), 0},
                               {static_cast<std::time_t>(seconds), 0}};
    if (::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        qFatal("test fixture: cannot set the time of %s", path.constData());
    }
}

const char* linksUnavailable() {
    return nullptr;
}

bool makeLink(const QByteArray& target, const QByteArray& link) {
    return ::symlink(target.constData(), link.constData()) == 0;
}

bool makePipe(const QByteArray& path) {
    return ::mkfifo(path.constData(), 0666) == 0;
}

const char* linuxLauncherPlacesUnavailable() {
    return nullptr;
}

const char* posixNamesUnavailable() {
    return nullptr;
}

const char* posixFilesUnavailable() {
    return nullptr;
}

bool setMode(const QByteArray& path, unsigned mode) {
    return ::chmod(path.constData(), mode) == 0;
}

unsigned modeOf(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

bool setOwner(const QByteArray& path, unsigned user, unsigned group) {
    return ::chown(path.constData(), user, group) == 0;
}

std::pair<unsigned, unsigned> ownerOf(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 ? std::pair(info.st_uid, info.st_gid)
                                                : std::pair(~0u, ~0u);
}

unsigned setUmask(unsigned mask) {
    return ::umask(mask);
}

bool setAttribute(const QByteArray& path, const QByteArray& name, const QByteArray& value) {
    return ::setxattr(path.constData(), name.constData(), value.constData(),
                      static_cast<size_t>(value.size()), 0) == 0;
}

std::map<QByteArray, QByteArray> attributesOf(const QByteArray& path) {
    std::map<QByteArray, QByteArray> attributes;
    char names[4096];
    const ssize_t size = ::listxattr(path.constData(), names, sizeof names);
    for (const QByteArray& name : QByteArray(names, std::max<ssize_t>(size, 0)).split('\0')) {
        char value[4096];
        const ssize_t length = ::getxattr(path.constData(), name.constData(), value, sizeof value);
        if (!name.isEmpty() && length >= 0) {
            attributes[name] = QByteArray(value, length);
        }
    }
    return attributes;
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

ProgramRun runProgram(const std::vector<QByteArray>& argv,
                      const std::vector<QByteArray>& environment) {
    const auto pointers = [](std::vector<QByteArray> strings) {
        std::vector<char*> list;
        for (QByteArray& string : strings) {
            list.push_back(strdup(string.constData()));
        }
        list.push_back(nullptr);
        return list;
    };
    const std::vector<char*> argvList = pointers(argv), envList = pointers(environment);
    // Output goes through files rather than pipes, so that a child that prints much never
    // waits on a parent that is not reading yet.
    const TempDir output;
    const QByteArray out = output.file("out"), err = output.file("err");
    const int outFd = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd = ::open(err.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        ::execve(argvList[0], argvList.data(), envList.data());
        ::_exit(127);
    }
    ::close(outFd);
    ::close(errFd);
    for (char* string : argvList) {
        std::free(string);
    }
    for (char* string : envList) {
        std::free(string);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readBytes(out), readBytes(err)};
}

}  // namespace rendix::testing
