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
