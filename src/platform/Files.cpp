#include "platform/Files.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

#include "platform/Paths.h"

namespace rendix::platform {

std::optional<QByteArray> readFile(const QByteArray& path) {
    QByteArray bytes;
    if (!readFileChecked(path, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

Result copyFileToFreeName(const QByteArray& source, const QByteArray& stem, QByteArrayView suffix,
                          QByteArray& copy) {
    for (int n = 1;; ++n) {
        copy = stem;
        if (n > 1) {
            copy += '_' + QByteArray::number(n);
        }
        copy += suffix;
        if (resolvePath(copy)) {
            continue;  // taken, in some letter case
        }
        // Another process (a second Rendix) may take the name between the look and the
        // copy's final link; the copy never replaces it, and the next name is as good.
        const Result copied = copyFileNew(source, copy);
        if (copied || (copied.problem != Problem::Exists && !resolvePath(copy))) {
            return copied;
        }
    }
}

Result removeMatching(const QByteArray& dir, QByteArrayView pattern) {
    const Listing listing = listFiles(dir, pattern);
    if (!listing.ok) {
        return Result::failure(QStringLiteral("Cannot list %1.").arg(QFile::decodeName(dir)));
    }
    if (listing.names.empty()) {
        return Result::success();
    }
    const QByteArray folder = resolvePath(dir).value_or(dir);
    QStringList failed;
    for (const QByteArray& name : listing.names) {
        const QByteArray path = joinPath(folder, {name});
        if (!removeFile(path)) {
            failed.append(QFile::decodeName(resolvePath(path).value_or(path)));
        }
    }
    if (!failed.isEmpty()) {
        return Result::failure(
            QStringLiteral("Cannot delete %1.").arg(failed.join(QStringLiteral(", "))));
    }
    return Result::success();
}

bool isLeftoverName(QByteArrayView name) {
    const auto shaped = [name](QByteArrayView prefix) {
        if (!name.startsWith(prefix) || name.size() != prefix.size() + kTemporaryRandomLength) {
            return false;
        }
        const QByteArrayView random = name.sliced(prefix.size());
        return std::all_of(random.begin(), random.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        });
    };
    return shaped(kTemporaryPrefix) || shaped(kProbePrefix);
}

}  // namespace rendix::platform
