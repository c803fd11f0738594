#pragma once

#include <QByteArray>

namespace rendix::platform {

// Opens a local document with the program the desktop registers for it, without checking
// that it exists and without waiting. False when the desktop refused. (Needs Qt Gui, so it
// lives in the window library.)
bool openDocument(const QByteArray& path);

}  // namespace rendix::platform
