// The system's dialog calls the framework's dialogs need, in plain types:
// building an in-memory dialog template, creating the dialog from it, the
// dialog keys, and the pictures of static controls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vxsys {

using Handle = void *;

// A dialog and its controls in dialog units, in tab and drawing order.
enum class DialogControl { Button, Static, Trackbar };
struct TemplateItem {
    DialogControl cls = DialogControl::Static;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t id = 0xFFFF; // 0xFFFF: a control without an id
    std::string text;
};
struct DialogLayout {
    uint32_t style = 0; // with DS_SETFONT the font below applies
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    std::string fontName;
    uint16_t pointSize = 8;
    std::vector<TemplateItem> items;
};

// The system's in-memory template for a layout: the dialog header followed by
// one DWORD-aligned record per control, texts in UTF-16 (from the ANSI code
// page). Held in 32-bit words so that it is aligned as the system requires.
std::vector<uint32_t> BuildDialogTemplate(const DialogLayout &layout);

// Called once with the new dialog's handle when WM_INITDIALOG arrives, before
// any other code of the framework sees the dialog; `focus` is the control the
// system means to give the focus. Its result is the message's (non-zero: the
// system gives that control the focus).
using DialogInit = intptr_t (*)(Handle dialog, uintptr_t focus, void *context);
// Creates a modeless dialog from a template built above; null on failure.
Handle CreateDialogFromTemplate(const std::vector<uint32_t> &dialogTemplate, Handle owner,
                                DialogInit init, void *context);

// Offers one input message to the dialog's keyboard handling (Tab, arrows,
// Enter, Escape, mnemonics); true when the dialog handled (and dispatched) it.
bool DialogMessage(Handle dialog, Handle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The direct children of a window, in the order they were made (a dialog's
// controls in template order).
std::vector<Handle> Children(Handle hwnd);

// The active window of this thread, and making a window the active one.
Handle ActiveWindow();
void Activate(Handle hwnd);

// A device-independent bitmap of 32 bpp pixels (0x00RRGGBB, rows top-down);
// null when it cannot be made. Static controls do not own the bitmaps they
// show: the maker deletes it once the control has gone.
Handle MakeBitmap(int width, int height, const uint32_t *pixels);
void FreeBitmap(Handle bitmap);
// Shows a bitmap in an SS_BITMAP static control; returns the one it showed.
Handle SetStaticBitmap(Handle control, Handle bitmap);

// Grows the dialog where needed so that the control lies inside its client
// area with `right` and `bottom` dialog units to spare. Picture controls take
// the size of their pictures, which the template's units only match with the
// font the template was laid out for.
void FitControl(Handle dialog, Handle control, int right, int bottom);

// Whether the message is a keyboard or mouse input message.
bool IsInputMessage(uint32_t message);

} // namespace vxsys
