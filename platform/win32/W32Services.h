// The system services the Windows start-up installs before the saver runs.
// Includes no header of either side, so both kinds of file may include it.
#pragma once

// Makes the system's wave output the sound output of the multimedia calls.
// Called once at start; every call installs the same one output.
void VxInstallSystemSoundOutput();
