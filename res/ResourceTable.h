// The executable's resource table: every bitmap, wave sound, icon, cursor,
// string and dialog template of the saver, embedded in the program.
#pragma once

#include "platform/afx/Resources.h"

extern const ResourceModule g_vantorixResources;
