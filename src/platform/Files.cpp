#include "platform/Files.h"

#include <QStringList>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "platform/Text.h"

namespace rendix::platform {

namespace {

// The write path of `path` and the file a rewrite of it changes. A symbolic link is followed
// only to a regular file whose name ends in ".ini" in any letter case, so that a crafted
// install cannot make Rendix append names to a file such as ~/.bashrc, which a shell would
// run.
Result findRewriteTarget(const QByteArray& path, RewriteTarget& target) {
    const std::optional<QByteArray> writePath = resolveForWrite(path);
    if (!writePath) {
        return Result::failure(
            QStringLiteral("The folder of %1 does not exist.").arg(shownName(path)),
            Problem::Missing, path);
    }
    target = {*writePath, *writePath};
    const std::optional<LinkEnd> end = linkEnd(*writePath);
    if (!end) {
        return Result::success();
    }
    const QByteArray name = end->path.mid(end->path.lastIndexOf(separator()) + 1);
    if (!end->leadsSomewhere || fileState(end->path).kind != FileKind::Regular || name.size() < 4 ||
        !equalsFolded(QByteArrayView(name).last(4), ".ini")) {
        return Result::failure(
            QStringLiteral("%1 is a symbolic link to %2, which is not a configuration file "
                           "(a regular file whose name ends in .ini); Rendix does not write "
                           "there.")
                .arg(shownName(*writePath), shownName(end->path)),
            Problem::LinkRefused, *writePath, end->path);
    }
    target.file = end->path;
    return Result::success();
}

// What the file a rewrite changes must be, once the link rule let the write through.
Result checkRewriteTarget(const RewriteTarget& target) {
    const FileState state = fileState(target.file);
    if (state.kind == FileKind::Other) {
        return Result::failure(
            QStringLiteral("%1 is not a plain file.").arg(shownName(target.file)), Problem::Other,
            target.path);
    }
    // As on Windows, a file without any write bit is read-only, for root too: a user who
    // protects the file from the game means it.
    if (state.readOnly) {
        return Result::failure(QStringLiteral("%1 is read-only.").arg(shownName(target.file)),
                               Problem::ReadOnly, target.path);
    }
    return Result::success();
}

}  // namespace

Result replaceFile(const QByteArray& path, const QByteArray& bytes) {
    RewriteTarget target;
    if (Result refused = findRewriteTarget(path, target); !refused) {
        return refused;
    }
    if (Result refused = checkRewriteTarget(target); !refused) {
        return refused;
    }
    return rewriteFile(target, bytes);
}

Result checkRewrite(const QByteArray& path) {
    RewriteTarget target;
    Result found = findRewriteTarget(path, target);
    return found ? checkRewriteTarget(target) : found;
}

QByteArray rewrittenFile(const QByteArray& path) {
    RewriteTarget target;
    if (findRewriteTarget(path, target)) {
        return target.file;
    }
    return resolveForWrite(path).value_or(path);
}

std::optional<QByteArray> readFile(const QByteArray& path) {
    QByteArray bytes;
    if (!readFileChecked(path, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

Result noFile(const QByteArray& path) {
    return Result::failure(QStringLiteral("There is no file %1.").arg(describe(path)),
                           Problem::Missing, path);
}

Result unreadable(const QByteArray& path, const QString& why) {
    return Result::failure(why, Problem::Unreadable, path);
}

Result copyFault(const QByteArray& target) {
    return Result::failure(
        QStringLiteral("cannot copy it to %1: %2").arg(describe(target), injectedFault()),
        Problem::Other, target);
}

Result noFolderFor(const QByteArray& target) {
    return Result::failure(QStringLiteral("The folder of %1 does not exist.").arg(describe(target)),
                           Problem::Missing, target);
}

Result nameTaken(const QByteArray& to) {
    return Result::failure(QStringLiteral("%1 already exists.").arg(describe(to)), Problem::Exists,
                           to);
}

Result unreadableSource(const QByteArray& from, const QString& why) {
    return Result::failure(QStringLiteral("cannot read %1: %2").arg(describe(from), why),
                           Problem::Unreadable, from);
}

Result readFileChecked(const QByteArray& path, QByteArray& bytes, Links links) {
    const std::optional<QByteArray> resolved = resolvePath(path);
    if (!resolved) {
        return noFile(path);
    }
    if (injectFault(Operation::Open)) {
        return unreadable(path, injectedFault());
    }
    return readResolved(path, *resolved, links, bytes);
}

Result removeFile(const QByteArray& path) {
    const std::optional<QByteArray> resolved = resolvePath(path);
    if (!resolved) {
        return Result::failure(QStringLiteral("There is no file %1.").arg(describe(path)));
    }
    if (injectFault(Operation::Delete)) {
        return Result::failure(QStringLiteral("Cannot delete %1.").arg(describe(*resolved)));
    }
    return removeResolved(*resolved);
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

Result removeMatching(const QByteArray& dir, QByteArrayView pattern, Links links) {
    const Listing listing = listFiles(dir, pattern, links);
    if (!listing.ok) {
        return Result::failure(QStringLiteral("Cannot list %1.").arg(shownName(dir)));
    }
    if (listing.names.empty()) {
        return Result::success();
    }
    const QByteArray folder = resolvePath(dir).value_or(dir);
    QStringList failed;
    for (const QByteArray& name : listing.names) {
        const QByteArray path = joinPath(folder, {name});
        if (!removeFile(path)) {
            failed.append(shownName(resolvePath(path).value_or(path)));
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
