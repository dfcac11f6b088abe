// Asynchronous wave playback by the system, from a RIFF image in memory.
#pragma once

namespace vxsys {

// Cuts off the sound playing and starts the RIFF wave image at `image`
// without waiting for it; no default sound is played in its place. The image
// must stay valid until StopSound or the next PlaySoundImage. false when the
// system refuses it.
bool PlaySoundImage(const void *image);

// Silences the sound playing, if any; the system holds on to no image after.
void StopSound();

} // namespace vxsys
