// Opening files whose names come from the user's settings. A name may point
// at anything: a named pipe (whose open or read would wait for a writer
// forever), a device, a directory, or a file far too large to hold. Only a
// regular file of bounded size is opened, and no call here ever waits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Largest file read on behalf of a setting (a wallpaper, a bitmap by name).
constexpr size_t kVxMaxSettingFileBytes = size_t(256) << 20;

// Opens `path` for reading when it names (possibly through symbolic links) a
// regular file of at most `maxBytes`; returns the descriptor, or -1 for
// anything else. Named pipes and devices are never opened blocking.
int VxOpenRegularFile(const char *path, size_t maxBytes);

// Reads the whole of such a file into `out`; false (and `out` empty) when the
// path is not one, cannot be read, or grows past `maxBytes` while read.
bool VxReadRegularFile(const char *path, size_t maxBytes, std::vector<uint8_t> *out);
