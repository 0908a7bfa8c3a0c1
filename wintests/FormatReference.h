#ifndef QUENCHBOX_WINTESTS_FORMATREFERENCE_H
#define QUENCHBOX_WINTESTS_FORMATREFERENCE_H

// What the Windows tests of the newer formats compare against: a decaying
// guitar-like tone, and that tone through the VST2 DLL.

#include "EditorHost.h"

#include <cmath>
#include <vector>

namespace wintest {

constexpr int kReferenceFrames = 2048;

template <typename Sample>
std::vector<Sample> guitarLike()
{
    std::vector<Sample> x(kReferenceFrames);
    for (int n = 0; n < kReferenceFrames; ++n)
        x[n] = static_cast<Sample>(0.4 * std::sin(0.031 * n) * std::exp(-0.0007 * n));
    return x;
}

// The left output of the VST2 DLL for the tone in both inputs, with a program
// and "Oversample" on.
inline std::vector<float> vst2OversampledProgram(int program)
{
    EditorSession vst("QuenchboxRZ.dll");
    if (vst.effect() == nullptr)
        return {};
    vst.dispatch(effSetProgram, 0, program);
    vst.setParameter(13, 1.0f);
    vst.dispatch(effMainsChanged, 0, 1);
    std::vector<float> left = guitarLike<float>();
    std::vector<float> right = left;
    float* channels[2] = {left.data(), right.data()};
    vst.effect()->processReplacing(vst.effect(), channels, channels, kReferenceFrames);
    return left;
}

}  // namespace wintest

#endif
