#pragma once

#include <QIcon>

namespace rendix {

// The program's icon from the resources (":/rendix.svg", or its 256-pixel PNG rendering
// ":/rendix.png" where Qt cannot read SVG). The resources live in a static
// library, so they are registered here, on first use, rather than by whoever links it.
QIcon programIcon();

}  // namespace rendix
