#pragma once

// The standard streams of Rendix's programs. Both routines are meant for the start of main(),
// before anything is printed.
namespace rendix::platform {

// Makes the standard output and error carry exactly the bytes the program writes, as on
// Linux: on Windows they are switched to binary mode, so that no LF becomes CR LF, and a
// console shows them as UTF-8. Nothing to do on Linux.
void useBinaryStandardStreams();

// For the window program, which Windows starts without a console: where its standard output
// and error lead nowhere (it was started from cmd or PowerShell, not through a pipe), they
// are connected to the console of the process that started it, if there is one, so that
// --version and --help are seen there. Redirected streams stay as they are. Nothing to do on
// Linux.
void attachToParentConsole();

}  // namespace rendix::platform
