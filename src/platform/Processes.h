#pragma once

#include <QByteArray>

#include <vector>

namespace rendix::platform {

// The executables of the running processes whose program file lies directly in one of
// `folders` (resolved paths, as Install gives them), each path once, in no particular
// order. On Linux read from /proc/<pid>/exe; processes of other users that cannot be
// inspected are left out. The test seam's list stands in for the real processes when set.
std::vector<QByteArray> runningProgramsIn(const std::vector<QByteArray>& folders);

}  // namespace rendix::platform
