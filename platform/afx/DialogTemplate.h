// In-memory dialog templates: the resource script's description of a dialog
// and its controls, in dialog units, in template (tab and drawing) order.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

enum class DialogControlClass {
    Button,   // push button, default push button, check box, radio button, group box
    Static,   // text, etched frame, icon or bitmap picture
    Trackbar, // the common-controls trackbar
};

struct DialogItemTemplate {
    DialogControlClass cls;
    int id;         // -1 for controls without an id
    const char *text;
    DWORD style;    // WS_* | BS_* / SS_* / TBS_* bits
    short x, y, cx, cy;
    WORD imageId;   // SS_ICON / SS_BITMAP: the icon or bitmap resource id
};

struct DialogTemplate {
    DWORD style; // WS_* | DS_* bits
    short x, y, cx, cy;
    const char *caption;
    const char *fontName; // with DS_SETFONT
    WORD pointSize;
    const DialogItemTemplate *items;
    size_t count;
};
