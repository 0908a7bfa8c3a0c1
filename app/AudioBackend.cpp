#include "app/AudioBackend.h"

#include <cstdio>

namespace quenchbox::app {

std::string routeLine(const std::string& what, unsigned rate, unsigned frames, bool stereoInput,
                      unsigned roundTripFrames)
{
    const double milliseconds = rate > 0 ? 1000.0 * roundTripFrames / rate : 0.0;
    char text[96];
    std::snprintf(text, sizeof(text), ", %g kHz, %u frames, in %s to out 1+2, %.1f ms", rate / 1000.0, frames,
                  stereoInput ? "1+2" : "1", milliseconds);
    return what + text;
}

}  // namespace quenchbox::app
