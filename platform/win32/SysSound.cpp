#include "platform/win32/SysSound.h"

#include <windows.h>

#include <mmsystem.h>

bool vxsys::PlaySoundImage(const void *image) {
    return ::PlaySoundA(static_cast<LPCSTR>(image), nullptr,
                        SND_MEMORY | SND_ASYNC | SND_NODEFAULT) != FALSE;
}

void vxsys::StopSound() {
    ::PlaySoundA(nullptr, nullptr, 0);
}
