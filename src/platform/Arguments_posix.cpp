#include "platform/Arguments.h"

namespace rendix::platform {

std::vector<QByteArray> programArguments(int argc, const char* const* argv) {
    // The bytes of argv are the file system's bytes: nothing is decoded.
    std::vector<QByteArray> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return arguments;
}

}  // namespace rendix::platform
