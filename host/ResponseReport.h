#ifndef QUENCHBOX_HOST_RESPONSEREPORT_H
#define QUENCHBOX_HOST_RESPONSEREPORT_H

#include "host/AudioFile.h"
#include "host/VstPlugin.h"

#include <functional>
#include <string>
#include <vector>

namespace quenchbox::host {

// The response display's two curves in decibels on its 181-point grid.
struct ResponseTable {
    std::vector<double> frequency;
    std::vector<double> preDb;
    std::vector<double> postDb;
};

// The curves of the built-in circuit model, linked into this program, after
// `configure` has set it up the way the rendered plug-in was: the same code
// the editor draws from, under the same display lock.
ResponseTable modelResponse(const std::function<void(VstPlugin&)>& configure, double sampleRate);

void writeResponseCsv(const std::string& path, const ResponseTable& table);

// Draws the curves, and the spectra of the rendered input and output when
// given, into a PNG with gnuplot.
void plotResponse(const std::string& path, const std::string& title, const ResponseTable& table,
                  const AudioData* input, const AudioData* output);

// Power spectrum of the first channel at the given frequencies, in dB
// relative to a full-scale sine: Hann-windowed frames, averaged.
std::vector<double> spectrumDb(const AudioData& audio, const std::vector<double>& frequencies);

}  // namespace quenchbox::host

#endif
