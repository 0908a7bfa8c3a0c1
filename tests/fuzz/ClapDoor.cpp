// The CLAP door: one instance of the built plug-in's CLAP entry, active at
// a rate from the bytes, then a call sequence: blocks with parameter events
// and foreign events at any time, flushes, resets, reactivation, presets by
// any key, texts both ways, and states that are damaged copies of a real
// one or plain bytes, streamed in pieces of any size.

#include "formats/shared/StateCodec.h"
#include "host/ClapInstance.h"
#include "tests/fuzz/Doors.h"
#include "tests/fuzz/FuzzInputs.h"

#include <string>

extern "C" const clap_plugin_entry_t clap_entry;

namespace fuzz {

namespace {

using quenchbox::host::ClapInputEvents;
using quenchbox::host::ClapInstance;

constexpr int kMaxFrames = kDoorFrames;

class ClapSession {
public:
    ClapSession(ClapInstance& instance, Reader& input) : clap(instance), in(input) {}

    void run()
    {
        start();
        for (int call = 0; call < kDoorCalls && !in.empty(); ++call)
            step(in.byte() % 8);
    }

private:
    void start()
    {
        const double rate = anyRate(in);
        if (clap.activate(rate, 1, kMaxFrames))
            clap.startProcessing();
    }

    void step(int kind)
    {
        switch (kind) {
        case 0:
        case 1: return process();
        case 2: return clap.flush(events());
        case 3: return clap.plugin()->reset(clap.plugin());
        case 4: return restart();
        case 5: return loadState();
        case 6: return texts();
        default: return loadPreset();
        }
    }

    ClapInputEvents events()
    {
        ClapInputEvents list;
        const int count = in.byte() % 12;
        for (int i = 0; i < count; ++i) {
            const std::uint32_t time = in.byte() < 200 ? in.byte() * 16u : in.take<std::uint32_t>();
            const clap_id id = in.byte() < 220 ? in.byte() % 20u : in.take<clap_id>();
            if (in.byte() < 230) {
                list.addValue(time, id, in.anySample());
            } else {
                clap_event_header_t header{};
                header.size = in.take<std::uint32_t>();
                header.time = time;
                header.space_id = in.take<std::uint16_t>();
                header.type = in.take<std::uint16_t>();
                list.addHeader(header);
            }
        }
        return list;
    }

    // A block the plug-in refuses (not active) leaves the buffers as they
    // were; one it processes must come out finite.
    void process()
    {
        const int frames = in.take<std::uint16_t>() % (kMaxFrames + 1);
        const ClapInputEvents list = events();
        if (in.byte() & 1) {
            double** io = doubles.fill(in, frames);
            if (clap.process(io, io, static_cast<std::uint32_t>(frames), &list) == CLAP_PROCESS_CONTINUE)
                doubles.requireFinite(frames, "non-finite output through the CLAP door");
        } else {
            float** io = floats.fill(in, frames);
            if (clap.process(io, io, static_cast<std::uint32_t>(frames), &list) == CLAP_PROCESS_CONTINUE)
                floats.requireFinite(frames, "non-finite output through the CLAP door");
        }
    }

    void restart()
    {
        clap.stopProcessing();
        clap.deactivate();
        start();
    }

    std::vector<std::uint8_t> saved()
    {
        std::vector<std::uint8_t> bytes;
        clap.saveState(bytes);
        return bytes;
    }

    void loadState()
    {
        const std::vector<std::uint8_t> bytes = untrustedState(in, saved(), quenchbox::formats::kStateSize);
        clap.loadState(bytes, 1 + in.byte() % 128);
    }

    std::string text()
    {
        std::string s;
        for (int length = in.byte() % 24; length > 0; --length)
            s += static_cast<char>(in.byte());
        return s;
    }

    void texts()
    {
        const clap_id id = in.byte() % 20u;
        double value = 0.0;
        clap.fromText(id, text(), value);
        clap.text(id, in.anySample());
    }

    void loadPreset()
    {
        const auto* presets = clap.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
        const std::string key = in.byte() < 200 ? std::to_string(in.byte() % 20 - 2) : text();
        presets->from_location(clap.plugin(), in.byte() % 3, in.byte() % 4 ? nullptr : "location", key.c_str());
    }

    ClapInstance& clap;
    Reader& in;
    StereoBlock<float> floats{kMaxFrames};
    StereoBlock<double> doubles{kMaxFrames};
};

}  // namespace

void throughClap(const std::uint8_t* data, std::size_t size)
{
    static const bool initialized = clap_entry.init("");
    if (!initialized)
        fail("the CLAP entry did not initialise");
    const auto clap = ClapInstance::create(clap_entry);
    Reader input(data, size);
    ClapSession(*clap, input).run();
}

}  // namespace fuzz
