#pragma once

#include <QByteArray>

#include <vector>

namespace rendix::platform {

// The program's command line, the program's name first, each argument as bytes in the
// file system's own encoding: a name or path given on the command line reaches the file
// system exactly as typed, whether or not it is valid UTF-8. `argc` and `argv` are main()'s.
std::vector<QByteArray> programArguments(int argc, const char* const* argv);

}  // namespace rendix::platform
