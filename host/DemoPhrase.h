#ifndef QUENCHBOX_HOST_DEMOPHRASE_H
#define QUENCHBOX_HOST_DEMOPHRASE_H

#include "host/AudioFile.h"

namespace quenchbox::host {

// A synthetic dry guitar phrase (a DI signal, as a pickup delivers it into
// the pedal): four bars of plucked power chords and single notes at 120 BPM,
// made by plucked-string synthesis in code. The same call always returns the
// same samples.
AudioData demoPhrase(double sampleRate);

}  // namespace quenchbox::host

#endif
