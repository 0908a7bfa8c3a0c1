#ifndef QUENCHBOX_HOST_RENDEROPTIONS_H
#define QUENCHBOX_HOST_RENDEROPTIONS_H

#include <string>
#include <utility>
#include <vector>

namespace quenchbox::host {

struct RenderOptions {
    std::string pluginPath;  // empty: the plug-in built beside the host
    std::string program;     // number or name; empty keeps the plug-in's own
    std::vector<std::pair<std::string, float>> settings;  // parameter name, normalized value
    int blockSize = 256;
    bool doublePrecision = false;
    bool stereo = false;
    bool list = false;
    bool help = false;
    std::string inputPath;   // empty: the built-in demo phrase
    std::string outputPath;  // empty: derived from the input
    std::string responsePath;  // CSV of the response display's curves
    std::string plotPath;      // PNG of the curves and the render's spectra
};

// Throws std::invalid_argument with a one-line message on a bad command line.
RenderOptions parseRenderOptions(int argc, const char* const* argv);

// A "--set" value, "NAME=VALUE" with VALUE normalized from 0 to 1; the name
// is not looked up. Throws std::invalid_argument with a one-line message.
std::pair<std::string, float> parseParameterSetting(const std::string& text);

// A "--program" value among the programs named `programNames`: a number from
// 0, or a name compared without regard to case. Throws std::invalid_argument
// with a one-line message when it is neither.
int findProgramNumber(const std::string& text, const std::vector<std::string>& programNames);

// The output file when none was named: the demo's fixed name, or the input's
// name with ".quenchbox.wav" in place of its extension.
std::string defaultOutputPath(const std::string& inputPath);

extern const char* const kRenderUsage;

}  // namespace quenchbox::host

#endif
