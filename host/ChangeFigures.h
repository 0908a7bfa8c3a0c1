#ifndef QUENCHBOX_HOST_CHANGEFIGURES_H
#define QUENCHBOX_HOST_CHANGEFIGURES_H

#include <string>

namespace quenchbox::host {

// What parameter changes cost and how they sound, measured through a plug-in
// binary as a host drives it: one change every tenth block while a guitar
// phrase plays (the longest block, the blocks that overran their own
// duration, the extra time of the blocks while a change takes effect), and
// the zipper figure of a slow automation ramp (the largest second difference
// of the output during the ramp over that of the signal at either end of it).
void printKnobTurnFigures(const std::string& pluginPath);
void printZipperFigures(const std::string& pluginPath);

}  // namespace quenchbox::host

#endif
