#include "host/ResponseReport.h"

#include "effect/Parameters.h"
#include "host/BuiltInPlugin.h"
#include "host/SignalAnalysis.h"
#include "engine/ResponseCurves.h"
#include "shell/AEffEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <stdexcept>

namespace quenchbox::host {

namespace {

constexpr double kFloorDb = -200.0;
constexpr double kPi = 3.14159265358979323846;

double powerToDb(double power) { return power > 0.0 ? std::max(kFloorDb, 10.0 * std::log10(power)) : kFloorDb; }

// One block without samples applies every setting and, since the effect now
// has an editor object (one without a window), publishes the display copies.
void applyAndPublish(VstPlugin& model)
{
    effect::QuenchboxEffect& effect = builtInEffect(model);
    effect.setEditor(new AEffEditor(&effect));
    float* none[2] = {nullptr, nullptr};
    model.process(none, none, 0);
}

// gnuplot reads single-quoted strings with '' for a quote.
std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

}  // namespace

ResponseTable modelResponse(const std::function<void(VstPlugin&)>& configure, double sampleRate)
{
    const auto model = createBuiltInPlugin();
    configure(*model);
    applyAndPublish(*model);

    effect::QuenchboxEffect& effect = builtInEffect(*model);
    engine::ResponseCurves curves;
    {
        std::lock_guard<effect::EffectLock> guard(effect.displayLockForEditor());
        curves.computeGrid(static_cast<float>(sampleRate), model->parameter(effect::kOversample) > 0.5f);
        curves.computePre(effect.driveEngine());
        curves.computePost(effect.driveEngine());
    }
    ResponseTable table;
    for (int i = 0; i < engine::ResponseCurves::kPointCount; ++i) {
        table.frequency.push_back(curves.point(i).frequency);
        table.preDb.push_back(powerToDb(curves.pre(i)));
        table.postDb.push_back(powerToDb(curves.post(i)));
    }
    return table;
}

void writeResponseCsv(const std::string& path, const ResponseTable& table)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path);
    std::fprintf(file, "frequency_hz,pre_db,post_db\n");
    for (std::size_t i = 0; i < table.frequency.size(); ++i)
        std::fprintf(file, "%.3f,%.4f,%.4f\n", table.frequency[i], table.preDb[i], table.postDb[i]);
    if (std::fclose(file) != 0)
        throw std::runtime_error("cannot write " + path);
}

std::vector<double> spectrumDb(const AudioData& audio, const std::vector<double>& frequencies)
{
    constexpr long kFrame = 4096;
    const std::vector<double>& x = audio.channels.at(0);
    std::vector<double> window(kFrame);
    double windowSum = 0.0;
    for (long n = 0; n < kFrame; ++n) {
        window[n] = 0.5 - 0.5 * std::cos(2.0 * kPi * n / kFrame);
        windowSum += window[n];
    }
    std::vector<double> result;
    for (double frequency : frequencies) {
        double power = 0.0;
        int frames = 0;
        for (long start = 0; start + kFrame <= static_cast<long>(x.size()); start += kFrame / 2, ++frames)
            power += std::norm(dftAt(x, start, kFrame, frequency, audio.sampleRate, &window))
                     / (0.25 * windowSum * windowSum);  // a full-scale sine reads 1
        result.push_back(powerToDb(frames ? power / frames : 0.0));
    }
    return result;
}

void plotResponse(const std::string& path, const std::string& title, const ResponseTable& table,
                  const AudioData* input, const AudioData* output)
{
    std::FILE* gnuplot = popen("gnuplot", "w");
    if (gnuplot == nullptr)
        throw std::runtime_error("cannot start gnuplot");
    const bool spectra = input != nullptr && output != nullptr;
    const std::vector<double> inputDb = spectra ? spectrumDb(*input, table.frequency) : std::vector<double>();
    const std::vector<double> outputDb = spectra ? spectrumDb(*output, table.frequency) : std::vector<double>();

    std::fprintf(gnuplot,
                 "set terminal pngcairo size 1000,560 font 'DejaVu Sans,10'\n"
                 "set output %s\n"
                 "set title %s\n"
                 "set logscale x\nset xrange [20:22050]\nset grid\n"
                 "set xlabel 'frequency (Hz)'\nset ylabel 'filtering (dB)'\nset key bottom left\n",
                 quoted(path).c_str(), quoted(title).c_str());
    if (spectra)
        std::fprintf(gnuplot, "set y2label 'spectrum (dB re full-scale sine)'\nset y2tics\nset ytics nomirror\n");
    std::fprintf(gnuplot, "$data << EOD\n");
    for (std::size_t i = 0; i < table.frequency.size(); ++i)
        std::fprintf(gnuplot, "%g %g %g %g %g\n", table.frequency[i], table.preDb[i], table.postDb[i],
                     spectra ? inputDb[i] : 0.0, spectra ? outputDb[i] : 0.0);
    std::fprintf(gnuplot,
                 "EOD\n"
                 "plot $data using 1:2 with lines lw 2 title 'pre: input and op-amp stages', "
                 "$data using 1:3 with lines lw 2 title 'post: tone, deep and output'%s\n",
                 spectra ? ", $data using 1:4 axes x1y2 with lines lw 1 title 'input spectrum', "
                           "$data using 1:5 axes x1y2 with lines lw 1 title 'output spectrum'"
                         : "");
    if (pclose(gnuplot) != 0)
        throw std::runtime_error("gnuplot could not draw " + path);
}

}  // namespace quenchbox::host
