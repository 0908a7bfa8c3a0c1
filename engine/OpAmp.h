#ifndef QUENCHBOX_ENGINE_OPAMP_H
#define QUENCHBOX_ENGINE_OPAMP_H

namespace quenchbox::engine {

// What every op-amp model offers: supply rails, open-loop gain and input
// offset, its static transfer from the two inputs to the output, and the
// network state it advances around that op-amp after each sample.
class OpAmp {
public:
    virtual ~OpAmp() = default;

    virtual void setRails(double low, double high) = 0;
    virtual void setOpenLoopGain(double gain) = 0;
    virtual void setInputOffset(double volts) = 0;

    // Open-loop output for the voltages at the non-inverting and the
    // inverting input.
    virtual double evaluate(double vPlus, double vMinus) = 0;

    // Advances the feedback network by one sample, given the stage input x
    // and the op-amp output y of that sample.
    virtual void updateState(double x, double y, int channel) = 0;
};

}  // namespace quenchbox::engine

#endif
