// The system's message box, in plain types.
#pragma once

#include <cstdint>

namespace vxsys {

// Shows a modal message box and returns the id of the button that closed it.
// With no owner (or one that is not a window) the box is top-most, so that a
// top-most saver window cannot hide it.
int ShowMessageBox(void *owner, const char *text, const char *caption, uint32_t style);

} // namespace vxsys
