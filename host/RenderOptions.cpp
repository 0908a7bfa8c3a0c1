#include "host/RenderOptions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace quenchbox::host {

const char* const kRenderUsage =
    "usage: quenchbox-render [options] [INPUT]\n"
    "Renders INPUT (WAV, AIFF or FLAC, mono or stereo) through a VST 2.4 or CLAP plug-in\n"
    "(a CLAP one when its file name ends in .clap) into a\n"
    "32-bit float WAV. Without INPUT it renders a built-in demo guitar phrase.\n"
    "  -o, --output FILE    output file (default: INPUT.quenchbox.wav or quenchbox-demo.wav)\n"
    "  --plugin PATH        plug-in library (default: QuenchboxRZ.so beside this program,\n"
    "                       else in ../lib/vst from it, else in ~/.vst)\n"
    "  --program N|NAME     select a program by number or name\n"
    "  --set NAME=VALUE     set a parameter (normalized 0..1) by name; repeatable\n"
    "  --block N            block size in frames (default 256)\n"
    "  --double             process 64-bit samples\n"
    "  --stereo             stereo processing: sets \"Channels\" and announces two channels\n"
    "  --list               print the plug-in's names, parameters and programs, then exit\n"
    "  --response FILE      also write the response display's pre and post curves (dB) as CSV\n"
    "  --plot FILE.png      also draw those curves with the input and output spectra (gnuplot)\n"
    "  -h, --help           this text\n";

namespace {

std::invalid_argument usageError(const std::string& message) { return std::invalid_argument(message); }

int parseBlockSize(const std::string& text)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > 65536)
        throw usageError("--block needs a whole number from 1 to 65536, not '" + text + "'");
    return static_cast<int>(value);
}

std::string lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

std::pair<std::string, float> parseParameterSetting(const std::string& text)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0)
        throw usageError("--set needs NAME=VALUE, not '" + text + "'");
    const std::string valueText = text.substr(equals + 1);
    char* end = nullptr;
    const double value = std::strtod(valueText.c_str(), &end);
    if (valueText.empty() || *end != '\0' || !(value >= 0.0 && value <= 1.0))
        throw usageError("--set " + text.substr(0, equals) + " needs a value from 0 to 1, not '" + valueText + "'");
    return {text.substr(0, equals), static_cast<float>(value)};
}

int findProgramNumber(const std::string& text, const std::vector<std::string>& programNames)
{
    const long count = static_cast<long>(programNames.size());
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0') {
        if (number < 0 || number >= count)
            throw usageError("program " + text + " does not exist (0 to " + std::to_string(count - 1) + ")");
        return static_cast<int>(number);
    }
    for (long p = 0; p < count; ++p)
        if (lowercase(programNames[p]) == lowercase(text))
            return static_cast<int>(p);
    throw usageError("there is no program named '" + text + "'");
}

RenderOptions parseRenderOptions(int argc, const char* const* argv)
{
    RenderOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw usageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "-o" || arg == "--output")
            options.outputPath = value();
        else if (arg == "--plugin")
            options.pluginPath = value();
        else if (arg == "--program")
            options.program = value();
        else if (arg == "--set")
            options.settings.push_back(parseParameterSetting(value()));
        else if (arg == "--block")
            options.blockSize = parseBlockSize(value());
        else if (arg == "--double")
            options.doublePrecision = true;
        else if (arg == "--stereo")
            options.stereo = true;
        else if (arg == "--response")
            options.responsePath = value();
        else if (arg == "--plot")
            options.plotPath = value();
        else if (arg == "--list")
            options.list = true;
        else if (arg == "-h" || arg == "--help")
            options.help = true;
        else if (!arg.empty() && arg[0] == '-')
            throw usageError("unknown option " + arg);
        else if (options.inputPath.empty())
            options.inputPath = arg;
        else
            throw usageError("only one input file can be rendered at a time");
    }
    return options;
}

std::string defaultOutputPath(const std::string& inputPath)
{
    if (inputPath.empty())
        return "quenchbox-demo.wav";
    const auto slash = inputPath.find_last_of('/');
    const auto dot = inputPath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? inputPath.substr(0, dot) : inputPath) + ".quenchbox.wav";
}

}  // namespace quenchbox::host
