#include "engine/InputCoupling.h"

namespace quenchbox::engine {

void InputCoupling::setPeriod(double period)
{
    inputGain = 0.999000999000999;      // 1 / 1.001
    w = period * 99.9000999000999;      // 1 / (1.001 * 10 ms)
    c1 = 1.0 / (1.0 + 0.5 * w);
}

void InputCoupling::publish()
{
    const float gain = static_cast<float>(c1 * inputGain);
    const float x = static_cast<float>(c1 * w);
    published.num = gain * gain;
    published.poleTerm = x * x;
    published.pole = 1.0f - x;
}

}  // namespace quenchbox::engine
