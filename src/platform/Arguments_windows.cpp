#include "platform/Arguments.h"

#include "platform/Windows.h"

// After windows.h, which it needs.
#include <shellapi.h>

namespace rendix::platform {

std::vector<QByteArray> programArguments(int argc, const char* const* argv) {
    // argv holds the command line in the ANSI code page, which may not hold every character of
    // a name: the command line is taken again as the system keeps it, in UTF-16, and each
    // argument becomes Rendix's UTF-8.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<QByteArray> arguments;
    if (wide == nullptr) {
        for (int i = 0; i < argc; ++i) {
            arguments.emplace_back(argv[i]);
        }
        return arguments;
    }
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        arguments.push_back(fromWide(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

}  // namespace rendix::platform
