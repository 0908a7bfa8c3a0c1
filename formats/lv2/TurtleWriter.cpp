// quenchbox-lv2-turtle: writes the LV2 bundle's descriptions (manifest.ttl,
// quenchbox-rz.ttl, presets.ttl) from the parameter and program tables the
// plug-in itself is built from, so that the two can never disagree.
//
// Usage: quenchbox-lv2-turtle BUNDLE_DIR MINOR_VERSION MICRO_VERSION DSP_BINARY UI_BINARY

#include "effect/Parameters.h"
#include "effect/Programs.h"
#include "formats/lv2/Lv2Ports.h"
#include "formats/shared/Latency.h"
#include "formats/shared/ParameterDescriptions.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace quenchbox;
using effect::ParameterKind;

constexpr const char* kPrefixes =
    "@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix param: <http://lv2plug.in/ns/ext/parameters#> .\n"
    "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n"
    "@prefix xsd:   <http://www.w3.org/2001/XMLSchema#> .\n\n";

// The shortest text that reads back as exactly the same float.
std::string number(float value)
{
    for (int digits = 1; digits <= 9; ++digits) {
        char text[32];
        std::snprintf(text, sizeof(text), "%.*g", digits, static_cast<double>(value));
        float back = 0.0f;
        if (std::sscanf(text, "%g", &back) == 1 && back == value) {
            std::string s(text);
            // Turtle reads a bare integer as xsd:integer: the point keeps every value a decimal.
            return s.find_first_of(".e") == std::string::npos ? s + ".0" : s;
        }
    }
    return "0.0";
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string programName(int program)
{
    char name[effect::kProgramNameLength + 1] = {};
    effect::programs::copyFactoryName(program, name);
    return name;
}

std::string presetUri(int program)
{
    char suffix[32];
    std::snprintf(suffix, sizeof(suffix), "#preset-%02d", program);
    return std::string("<") + lv2::kPluginUri + suffix + ">";
}

std::string pluginUri() { return std::string("<") + lv2::kPluginUri + ">"; }
std::string uiUri() { return std::string("<") + lv2::kUiUri + ">"; }

std::string manifest(const std::string& dspBinary, const std::string& uiBinary)
{
    std::ostringstream out;
    out << kPrefixes;
    out << pluginUri() << "\n    a lv2:Plugin ;\n    lv2:binary <" << dspBinary
        << "> ;\n    rdfs:seeAlso <quenchbox-rz.ttl> .\n\n";
    out << uiUri() << "\n    a ui:X11UI ;\n    ui:binary <" << uiBinary << "> ;\n    rdfs:seeAlso <quenchbox-rz.ttl> .\n";
    for (int p = 0; p < effect::kProgramCount; ++p)
        out << "\n" << presetUri(p) << "\n    a pset:Preset ;\n    lv2:appliesTo " << pluginUri()
            << " ;\n    rdfs:seeAlso <presets.ttl> .\n";
    return out.str();
}

std::string audioPort(std::uint32_t index, bool input, const char* symbol, const char* name)
{
    std::ostringstream out;
    out << "    [\n        a lv2:AudioPort , " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
        << "        lv2:index " << index << " ;\n        lv2:symbol \"" << symbol << "\" ;\n        lv2:name \""
        << name << "\"\n    ]";
    return out.str();
}

std::string scalePoints(int parameter)
{
    std::ostringstream out;
    for (int position = 0; position <= 1; ++position)
        out << (position == 0 ? " ;\n        lv2:scalePoint " : " ,\n            ") << "[ rdfs:label "
            << quoted(formats::parameterText(parameter, position)) << " ; rdf:value " << position << ".0 ]";
    return out.str();
}

std::string controlPort(int parameter)
{
    const effect::ParameterInfo& p = effect::kParameters[parameter];
    std::ostringstream out;
    out << "    [\n        a lv2:ControlPort , lv2:InputPort ;\n        lv2:index " << lv2::portOfParameter(parameter)
        << " ;\n        lv2:symbol \"" << p.lv2Symbol << "\" ;\n        lv2:name "
        << quoted(p.fullName) << " ;\n        lv2:default " << number(p.defaultValue)
        << " ;\n        lv2:minimum 0.0 ;\n        lv2:maximum 1.0";
    if (parameter == effect::kEnable)
        out << " ;\n        lv2:designation lv2:enabled";
    if (p.kind == ParameterKind::toggle)
        out << " ;\n        lv2:portProperty lv2:toggled";
    if (p.kind == ParameterKind::choice)
        out << " ;\n        lv2:portProperty lv2:integer , lv2:enumeration" << scalePoints(parameter);
    out << "\n    ]";
    return out.str();
}

std::string latencyPort()
{
    std::ostringstream out;
    out << "    [\n        a lv2:ControlPort , lv2:OutputPort ;\n        lv2:index " << lv2::kLatencyPort
        << " ;\n        lv2:symbol \"latency\" ;\n        lv2:name \"Latency\" ;\n"
        << "        lv2:designation lv2:latency ;\n        lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
        << "        lv2:minimum 0 ;\n        lv2:maximum " << formats::kOversampledLatency
        << " ;\n        units:unit units:frame\n    ]";
    return out.str();
}

// The clipping meter's current is shown at full strength from 2 mA, the
// stages' drive from 1.
std::string meterPort(int meter)
{
    std::ostringstream out;
    out << "    [\n        a lv2:ControlPort , lv2:OutputPort ;\n        lv2:index " << lv2::kClipMeterPort + meter
        << " ;\n        lv2:symbol \"" << lv2::kMeterSymbols[meter] << "\" ;\n        lv2:name "
        << quoted(lv2::kMeterNames[meter]) << " ;\n        lv2:minimum 0.0 ;\n        lv2:maximum "
        << (meter == 0 ? "0.002" : "1.0") << "\n    ]";
    return out.str();
}

// The meters reach the UI as port events.
std::string meterNotifications()
{
    std::ostringstream out;
    for (int meter = 0; meter < lv2::kMeterCount; ++meter)
        out << (meter == 0 ? " ;\n    ui:portNotification " : " ,\n        ") << "[ ui:plugin " << pluginUri()
            << " ; lv2:symbol \"" << lv2::kMeterSymbols[meter] << "\" ; ui:protocol ui:floatProtocol ]";
    return out.str();
}

std::string plugin(int minorVersion, int microVersion)
{
    std::ostringstream out;
    out << kPrefixes;
    // The two things a saved state holds beyond the ports.
    out << "<" << lv2::kProgramKeyUri << ">\n    a rdf:Property ;\n    rdfs:label \"Program\" ;\n"
        << "    rdfs:range atom:Int .\n\n";
    out << "<" << lv2::kProgramNameKeyUri << ">\n    a rdf:Property ;\n    rdfs:label \"Program name\" ;\n"
        << "    rdfs:range atom:String .\n\n";
    out << pluginUri() << "\n    a lv2:Plugin , lv2:DistortionPlugin , doap:Project ;\n    doap:name \"Quenchbox RZ\" ;\n"
        << "    doap:maintainer [ foaf:name \"ZUK\" ] ;\n"
        << "    rdfs:comment \"A virtual-analog guitar distortion computed from a model of an overdrive circuit.\" ;\n"
        << "    lv2:minorVersion " << minorVersion << " ;\n    lv2:microVersion " << microVersion << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    lv2:extensionData state:interface ;\n    ui:ui " << uiUri() << " ;\n    lv2:port\n";
    out << audioPort(lv2::kInputLeft, true, "in_l", "Input left") << " ,\n"
        << audioPort(lv2::kInputRight, true, "in_r", "Input right") << " ,\n"
        << audioPort(lv2::kOutputLeft, false, "out_l", "Output left") << " ,\n"
        << audioPort(lv2::kOutputRight, false, "out_r", "Output right") << " ,\n";
    for (int i = 0; i < effect::kParameterCount; ++i)
        out << controlPort(i) << " ,\n";
    out << latencyPort();
    for (int meter = 0; meter < lv2::kMeterCount; ++meter)
        out << " ,\n" << meterPort(meter);
    out << " .\n\n";
    // The editor meets the plug-in through the ports alone; it cannot do
    // without a parent window and the host's idle calls. The host's scale
    // and sample rate come as options where it gives them.
    out << uiUri() << "\n    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:parent , ui:idleInterface ;\n"
        << "    lv2:optionalFeature ui:resize , ui:touch , urid:map , opts:options ;\n"
        << "    opts:supportedOption ui:scaleFactor , param:sampleRate ;\n    lv2:extensionData ui:idleInterface"
        << meterNotifications() << " .\n";
    return out.str();
}

std::string presets()
{
    std::ostringstream out;
    out << kPrefixes;
    for (int p = 0; p < effect::kProgramCount; ++p) {
        float values[effect::kParameterCount];
        effect::programs::readValues(p, values);
        out << presetUri(p) << "\n    a pset:Preset ;\n    lv2:appliesTo " << pluginUri() << " ;\n    rdfs:label "
            << quoted(programName(p)) << " ;\n    lv2:port";
        for (int i = 0; i < effect::kParameterCount; ++i)
            out << (i == 0 ? "\n" : " ,\n") << "        [ lv2:symbol \"" << effect::kParameters[i].lv2Symbol
                << "\" ; pset:value " << number(values[i]) << " ]";
        out << " ;\n    state:state [\n        <" << lv2::kProgramKeyUri << "> \"" << p << "\"^^xsd:int ;\n        <"
            << lv2::kProgramNameKeyUri << "> " << quoted(programName(p)) << "\n    ] .\n\n";
    }
    return out.str();
}

bool write(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s BUNDLE_DIR MINOR_VERSION MICRO_VERSION DSP_BINARY UI_BINARY\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool written = write(dir + "/manifest.ttl", manifest(argv[4], argv[5]))
                         && write(dir + "/quenchbox-rz.ttl", plugin(std::stoi(argv[2]), std::stoi(argv[3])))
                         && write(dir + "/presets.ttl", presets());
    if (!written) {
        std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], dir.c_str());
        return 1;
    }
    return 0;
}
