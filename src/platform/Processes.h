#pragma once

#include <QByteArray>

#include <vector>

// Other programs: the ones running, and starting one.
namespace rendix::platform {

// The executables of the running processes whose program file lies directly in one of
// `folders` (resolved paths, as Install gives them), each path once, in no particular
// order. On Linux read from /proc/<pid>/exe; processes of other users that cannot be
// inspected are left out. The test seam's list stands in for the real processes when set.
std::vector<QByteArray> runningProgramsIn(const std::vector<QByteArray>& folders);

// Starts the program at `path` detached, in a normal window. False when it cannot start.
// Under the test seam the start is only recorded.
bool startProgram(const QByteArray& path);

// What each operating system answers (Processes_posix.cpp); the routines above ask it.
namespace os {

// The program file of every running process that can be inspected.
std::vector<QByteArray> programsOfAllProcesses();

// `folder` named as the system names the folders of program files (on Linux every link and
// ".." resolved); as given where it leads nowhere.
QByteArray programFolderName(const QByteArray& folder);

}  // namespace os

}  // namespace rendix::platform
