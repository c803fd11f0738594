#include "platform/Console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "platform/Windows.h"

namespace rendix::platform {

namespace {

UINT g_consoleOutputCodePage = 0;

void restoreConsoleCodePage() {
    ::SetConsoleOutputCP(g_consoleOutputCodePage);
}

bool leadsNowhere(DWORD stream) {
    const HANDLE handle = ::GetStdHandle(stream);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
           ::GetFileType(handle) == FILE_TYPE_UNKNOWN;
}

}  // namespace

void useBinaryStandardStreams() {
    std::fflush(stdout);
    std::fflush(stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // Rendix's text is UTF-8 (its manifest makes that the process's code page); a console
    // shows it as such while the program runs, and gets its own code page back after.
    DWORD mode = 0;
    if (g_consoleOutputCodePage == 0 &&
        (::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
         ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode))) {
        g_consoleOutputCodePage = ::GetConsoleOutputCP();
        if (g_consoleOutputCodePage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
            std::atexit(restoreConsoleCodePage);
        }
    }
}

void attachToParentConsole() {
    const bool out = leadsNowhere(STD_OUTPUT_HANDLE);
    const bool err = leadsNowhere(STD_ERROR_HANDLE);
    if ((!out && !err) || !::AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (out) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (err) {
        std::freopen("CONOUT$", "w", stderr);
    }
}

}  // namespace rendix::platform
