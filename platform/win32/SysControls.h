// The system's common controls the framework's dialogs use, in plain types:
// the trackbar and the tooltip control.
#pragma once

#include <cstdint>
#include <string>

namespace vxsys {

using Handle = void *;

// Registers the common-control classes (trackbar, tooltips) once per process.
void InitControlClasses();

// ---- trackbar ------------------------------------------------------------------------
// The range takes any int; the position is kept inside it by the control.
void SetTrackbarRange(Handle trackbar, int minimum, int maximum, bool redraw);
void SetTrackbarPos(Handle trackbar, int position);
int TrackbarPos(Handle trackbar);
int TrackbarMin(Handle trackbar);
int TrackbarMax(Handle trackbar);

// ---- tooltips ------------------------------------------------------------------------
// A tooltip control owned by `owner` (above every other window, so that a
// top-most owner does not hide it); null on failure.
Handle CreateToolTip(Handle owner, uint32_t style);
void DestroyToolTip(Handle tip);
// Adds a whole window as a tool: the control watches the tool's mouse
// messages itself. A tool added again gets the new text.
bool AddTool(Handle tip, Handle tool, const std::string &text);
void ActivateToolTip(Handle tip, bool active);
// Passes one mouse message on to the tooltip control.
void RelayToolTipEvent(Handle tip, Handle hwnd, uint32_t message, uintptr_t wParam,
                       intptr_t lParam);
// What the control holds: the number of tools and the text of a tool's tip
// (empty when it has no such tool).
int ToolCount(Handle tip);
std::string ToolText(Handle tip, Handle tool);

} // namespace vxsys
