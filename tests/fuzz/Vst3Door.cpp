// The VST3 door: one instance from the module's factory, set up and active
// at a rate from the bytes, then a call sequence: blocks with parameter
// changes of any id, offset and value in any number of queues, empty
// blocks, reactivation, bus arrangements, controller values and texts,
// program changes, and states that are damaged copies of a real one or
// plain bytes, streamed in pieces of any size.

#include "formats/shared/StateCodec.h"
#include "formats/vst3/Vst3ClassInfo.h"
#include "formats/vst3/Vst3Factory.h"
#include "formats/vst3/Vst3Strings.h"
#include "host/Vst3Instance.h"
#include "tests/fuzz/Doors.h"
#include "tests/fuzz/FuzzInputs.h"

namespace fuzz {

namespace {

using namespace quenchbox::host;

constexpr int kMaxFrames = kDoorFrames;
constexpr SpeakerArrangement kArrangements[] = {SpeakerArr::kStereo, SpeakerArr::kMono, SpeakerArr::kEmpty, 0x3F};

class Vst3Session {
public:
    Vst3Session(Vst3Instance& instance, Reader& input) : vst3(instance), in(input) {}

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
        vst3.start(rate, 1 + in.take<std::uint16_t>() % kMaxFrames, in.byte() & 1 ? kSample64 : kSample32);
        sampleSize = in.byte() & 1 ? kSample64 : kSample32;
    }

    void step(int kind)
    {
        switch (kind) {
        case 0:
        case 1: return process();
        case 2: return restart();
        case 3: return arrange();
        case 4: return loadState();
        case 5: return controllerValue();
        case 6: return texts();
        default: return vst3.controller().setParamNormalized(0x70726F67, in.anySample()), void();
        }
    }

    ParamID anyId() { return in.byte() < 220 ? in.byte() % 20u : in.take<ParamID>(); }

    HostParameterChanges changes()
    {
        HostParameterChanges block;
        for (int count = in.byte() % 12; count > 0; --count) {
            const int32 offset = in.byte() < 200 ? in.byte() * 16 : in.take<int32>();
            block.add(anyId(), offset, in.anySample());
        }
        return block;
    }

    // A block the plug-in refuses (not active) leaves the buffers as they
    // were; one it processes must come out finite.
    void process()
    {
        const int frames = in.take<std::uint16_t>() % (kMaxFrames + 1);
        HostParameterChanges block = changes();
        if (sampleSize == kSample64) {
            double** io = doubles.fill(in, frames);
            if (vst3.process(io, io, frames, &block) == kResultOk)
                doubles.requireFinite(frames, "non-finite output through the VST3 door");
        } else {
            float** io = floats.fill(in, frames);
            if (vst3.process(io, io, frames, &block) == kResultOk)
                floats.requireFinite(frames, "non-finite output through the VST3 door");
        }
    }

    void restart()
    {
        vst3.stop();
        start();
    }

    void arrange()
    {
        SpeakerArrangement input = kArrangements[in.byte() % 4];
        SpeakerArrangement output = kArrangements[in.byte() % 4];
        vst3.processor().setBusArrangements(&input, in.byte() % 3, &output, in.byte() % 3);
    }

    std::vector<std::uint8_t> saved()
    {
        std::vector<std::uint8_t> bytes;
        vst3.saveState(bytes);
        return bytes;
    }

    void loadState()
    {
        const std::vector<std::uint8_t> bytes = untrustedState(in, saved(), quenchbox::formats::kStateSize);
        vst3.loadState(bytes, 1 + in.byte() % 128);
    }

    void controllerValue()
    {
        const ParamID id = anyId();
        vst3.controller().setParamNormalized(id, in.anySample());
        vst3.controller().getParamNormalized(id);
        vst3.controller().normalizedParamToPlain(id, in.anySample());
        vst3.controller().plainParamToNormalized(id, in.anySample());
    }

    void texts()
    {
        String128 text{};
        for (int n = 0; n < 127; ++n)
            text[n] = n < in.byte() % 40 ? static_cast<char16>(in.take<std::uint16_t>()) : 0;
        const ParamID id = anyId();
        ParamValue value = 0.0;
        vst3.controller().getParamValueByString(id, text, value);
        vst3.controller().getParamStringByValue(id, in.anySample(), text);
    }

    Vst3Instance& vst3;
    Reader& in;
    int32 sampleSize = kSample32;
    StereoBlock<float> floats{kMaxFrames};
    StereoBlock<double> doubles{kMaxFrames};
};

}  // namespace

void throughVst3(const std::uint8_t* data, std::size_t size)
{
    Vst3Instance vst3(quenchbox::vst3::theFactory(), quenchbox::vst3::classinfo::kClassId.bytes);
    Reader input(data, size);
    Vst3Session(vst3, input).run();
}

}  // namespace fuzz
