#pragma once

#include <QByteArray>

// Unified diffs between two versions of a file.
namespace rendix {

// The differences between two versions of a file in the unified format that `patch` and
// `git apply` read: "--- " + `oldName`, "+++ " + `newName`, then hunks "@@ -l,s +l,s @@" with
// 3 lines of context, joined where fewer than 7 unchanged lines stand between two changes.
// Lines are compared and printed with their own bytes (a CR before the LF stays), split at
// LF only, as diff(1) does; a last line without LF is followed by "\ No newline at end of
// file". Empty when both are equal.
QByteArray unifiedDiff(const QByteArray& oldBytes, const QByteArray& newBytes,
                       const QByteArray& oldName, const QByteArray& newName);

}  // namespace rendix
