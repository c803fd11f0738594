#include "platform/Console.h"

namespace rendix::platform {

// A program started from a shell has its standard streams, and they carry bytes as written.

void useBinaryStandardStreams() {}

void attachToParentConsole() {}

}  // namespace rendix::platform
