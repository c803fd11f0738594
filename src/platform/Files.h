#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

#include "platform/Paths.h"
#include "platform/Result.h"

// Whole files: read, rewritten safely, copied without ever replacing a file, deleted. Paths
// are byte strings and go through the resolver of Paths.h first.
namespace rendix::platform {

// The whole content of a plain file, or nothing when it is missing, is not a plain file
// or cannot be read (the test seam's Open and Read).
std::optional<QByteArray> readFile(const QByteArray& path);

// The same, telling why not: Problem::Missing when there is no plain file at the path,
// Problem::Unreadable (with the system's reason in `error`) when it exists but cannot be
// read, or is a symbolic link and `links` is Links::Excluded (checked as the file is
// opened, so a link planted after a listing is not read either). `bytes` is set only on
// success. The failure's `path` is the path as given.
Result readFileChecked(const QByteArray& path, QByteArray& bytes, Links links = Links::Followed);

// Writes `bytes` as the whole new content of `path`, safely: to a hidden temporary file
// in the same folder, checking every write, then flush, sync and rename over the target.
// An existing target keeps its owner, group, permission bits and extended attributes (POSIX
// ACLs included; a file system without them is no error); where these cannot be kept the
// file is left unchanged and the failure reported. A missing file is created (its folder
// must exist). Before the temporary file is made, leftovers of Rendix's own temporary
// naming (see isLeftoverName) older than a minute are removed from that folder; nothing
// else is.
// Every failure leaves the old file byte for byte as it was and no temporary file, and
// has `path` = `path` as resolved for writing (the link itself, for a link):
//  - Problem::LinkRefused: `path` is a symbolic link (chain) whose final target is not a
//    regular file named "*.ini" in any letter case, or leads nowhere; `target` = where it
//    leads. A link to such a file has that file rewritten and the link stays.
//  - Problem::ReadOnly: the file has no write permission bit at all (mode & 0222 == 0);
//    refused for root as well.
//  - Problem::Missing: the folder does not exist (`path` as given).
//  - Problem::Other: anything else (not a plain file, a failed write, flush, sync, rename,
//    owner, mode or attribute step). `error` then reads on from "could not write <path>: ":
//    the system's reason, after the file or folder concerned where that is not `path`
//    ("cannot create a temporary file in <folder>: Permission denied").
// The link, plain-file and read-only rules are checked first, in this order, as
// checkRewrite checks them.
Result replaceFile(const QByteArray& path, const QByteArray& bytes);

// Whether replaceFile would refuse `path` for what it is, found without writing anything:
// fails as replaceFile does for a missing folder, a refused link, something that is not a
// plain file and a read-only file. A missing file in an existing folder passes. A command
// checks this before it makes a backup, so that a refused write leaves nothing behind.
Result checkRewrite(const QByteArray& path);

// The file whose bytes a rewrite of `path` changes: where the symbolic link (chain) `path`
// leads when replaceFile follows it, otherwise `path` itself (resolved for writing, as given
// where its folder does not exist). Whatever belongs to the file (its lock file, temporary
// files, backups) goes beside this one, so that every path to the file finds the same.
QByteArray rewrittenFile(const QByteArray& path);

// Copies `source` to `target`, complete or not at all: to a hidden temporary name first,
// with every read and write checked, then renamed to `target` without ever replacing an
// existing file. The copy keeps the source's permission bits and extended attributes (POSIX
// ACLs included), and its owner where allowed. Leftovers of Rendix's own temporary naming
// are removed first, as for replaceFile. Counts as one Copy operation of the seam besides
// the opens, reads, writes, flushes, syncs and renames it makes. Failures, and no temporary
// file is left after any of them:
//  - Problem::Exists (`path` = `target` as resolved): the name is taken, in any letter case,
//    at the start or by the time of the final link, so a caller can try another name.
//  - Problem::Missing: no plain file `source` (`path` = `source`), or no folder for
//    `target` (`path` = `target`).
//  - Problem::Unreadable (`path` = `source` resolved): the source cannot be opened or read.
//  - Problem::Other (`path` = `target`): any write, attribute, flush, sync or rename step.
// The `error` of Unreadable and Other reads on from "could not copy <source>: ", naming the
// file or folder concerned and the system's reason ("cannot write <target>: No space left on
// device").
Result copyFileNew(const QByteArray& source, const QByteArray& target);

// Copies `source` as copyFileNew does to the first free name of `stem` + `suffix`, `stem` +
// "_2" + `suffix`, `stem` + "_3" + `suffix`... A name is taken when a file of that name
// exists in any letter case, before the copy or by the time of its final link (another
// process making the same copy), and then the next one is tried; no file is ever replaced.
// Sets `copy` to the name used, or on failure to the name last tried (both as built from
// `stem`, not resolved). Fails as copyFileNew does on anything but a taken name.
Result copyFileToFreeName(const QByteArray& source, const QByteArray& stem, QByteArrayView suffix,
                          QByteArray& copy);

// Deletes one file (resolved first). Fails when it is missing or cannot be deleted.
Result removeFile(const QByteArray& path);

// Deletes every plain file of folder `dir` that matches `pattern` (as listFiles lists them
// with `links`). Fails when the folder cannot be listed or any match cannot be deleted (the
// others are still deleted).
Result removeMatching(const QByteArray& dir, QByteArrayView pattern, Links links = Links::Followed);

// Rendix's own temporary names, for the platform layer: one of these prefixes and six
// letters or digits. The prefixes begin with "." so that no listing or deletion pattern ever
// sees them. The leftovers of a killed run are recognised by exactly this shape, so that
// nothing else is ever removed.
inline constexpr QByteArrayView kTemporaryPrefix(".Rendix-");
inline constexpr QByteArrayView kProbePrefix(".Rendix-probe-");  // canCreateFileIn
inline constexpr qsizetype kTemporaryRandomLength = 6;
bool isLeftoverName(QByteArrayView name);

}  // namespace rendix::platform
