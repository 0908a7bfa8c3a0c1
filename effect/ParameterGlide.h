#ifndef QUENCHBOX_EFFECT_PARAMETERGLIDE_H
#define QUENCHBOX_EFFECT_PARAMETERGLIDE_H

namespace quenchbox::effect {

// A knob value on its way to a target in equal steps, so that a change is
// heard as a short movement of the knob instead of a jump. A new target met
// midway is approached from where the glide is, with a full set of steps.
class ParameterGlide {
public:
    // Jumps to the value: no glide.
    void snapTo(float value)
    {
        current = target = value;
        stepsLeft = 0;
    }
    // Sets a new target, reached after `steps` calls of step().
    void glideTo(float value, int steps)
    {
        if (value == target)
            return;
        target = value;
        stepsLeft = steps;
    }
    // Ends the glide on its target at once.
    void finish() { snapTo(target); }
    // One equal share of the way that is left; the last step lands on the
    // target exactly.
    void step()
    {
        if (stepsLeft == 0)
            return;
        --stepsLeft;
        current = stepsLeft == 0 ? target : current + (target - current) / (stepsLeft + 1);
    }

    bool moving() const { return stepsLeft > 0; }
    // The value the sound uses now; exactly the target once the glide ends.
    float value() const { return static_cast<float>(current); }

private:
    double current = 0.0;
    double target = 0.0;
    int stepsLeft = 0;
};

}  // namespace quenchbox::effect

#endif
