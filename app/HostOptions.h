// The command line beside the mode switch: the screen-saver host's flags
// (draw into a window it gives) and the options for one run. Both may stand
// anywhere on the command line, with one or two leading hyphens; what is left
// goes to the mode switch as before.
#pragma once

#include "settings/SaverSettings.h"

#include <string>
#include <vector>

struct RunOptions {
    bool root = false;        // --root: the window in XSCREENSAVER_WINDOW, else the root window
    std::string windowId;     // --window-id ID, as given (wins over --root)
    SaverOverrides overrides; // --speed, --missiles, --sound, --background
    std::vector<std::string> rest; // argument 0 and every argument not taken here
    std::string error;             // one line for the user when the command line is unusable

    bool HostMode() const { return root || !windowId.empty(); }
};

RunOptions ParseRunOptions(int argc, char **argv);

// Reads a window id written as hexadecimal after "0x" or as a decimal
// number, the whole text and nothing else; X11 ids are 32 bits and never 0.
bool ParseWindowId(const char *text, unsigned long *id);
