#ifndef QUENCHBOX_ENGINE_TABLELOOKUP_H
#define QUENCHBOX_ENGINE_TABLELOOKUP_H

namespace quenchbox::engine {

// A knob position in 0..1 kept inside its table: values outside are clamped
// and NaN counts as 0, so no index can leave the table whatever a host sends.
inline double clampKnob(double position)
{
    if (!(position > 0.0))
        return 0.0;
    return position < 1.0 ? position : 1.0;
}

// Piecewise-linear lookup of a pot curve tabulated at `steps` equal knob
// intervals (steps + 1 entries). Fractions up to 1e-6 count as on the entry,
// and at position 1 the last entry is read without interpolation.
inline double interpolateTable(const double* table, int steps, double position)
{
    const double x = clampKnob(position) * steps;
    const int i = static_cast<int>(x);
    const double fraction = x - i;
    double value = table[i];
    if (fraction > 1e-6)
        value += (table[i + 1] - table[i]) * fraction;
    return value;
}

}  // namespace quenchbox::engine

#endif
