// Prints the figures of the Linux editor in a DAW-like host: the time to
// open it at 100 %, 150 % and 200 % (Xft.dpi 96, 144, 192), the CPU time its idle costs per second on the host's thread
// while audio runs, the X resources of its connection and the resident
// memory over a hundred open/close cycles, and the size of the bound skins.
// Run it with a display (tests/editor/with-xvfb.sh quenchbox-editor-figures).

#include "EditorHost.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using namespace editortest;
using Clock = std::chrono::steady_clock;

double threadCpuMs()
{
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A fresh instance's first open (the panels and skins decoded for the
// scale) and a second one, the median of five, in milliseconds.
void printOpenTimes(const PluginLibrary& library, int dpi)
{
    std::vector<double> first;
    std::vector<double> again;
    for (int run = 0; run < 5; ++run) {
        EditorHost host(library);
        setScreenDpi(host.display, dpi);
        auto start = Clock::now();
        host.openEditor();
        XSync(host.display, False);
        first.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        host.closeEditor();
        start = Clock::now();
        host.openEditor();
        XSync(host.display, False);
        again.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        host.closeEditor();
    }
    std::sort(first.begin(), first.end());
    std::sort(again.begin(), again.end());
    std::printf("open at Xft.dpi %d: first %.1f ms, again %.1f ms (medians of 5)\n", dpi, first[2], again[2]);
}

}  // namespace

int main()
{
    PluginLibrary library(QUENCHBOX_PLUGIN_PATH);
    {
        EditorHost probe(library);
        if (!probe.ready()) {
            std::fprintf(stderr, "no display or no plug-in\n");
            return 1;
        }
    }
    for (int dpi : {96, 144, 192})
        printOpenTimes(library, dpi);
    EditorHost host(library);
    setScreenDpi(host.display, 96);
    // The first open decodes the panels and the font; later ones build the widgets only.
    auto start = Clock::now();
    host.openEditor();
    const double firstOpenMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    host.closeEditor();
    start = Clock::now();
    host.openEditor();
    XSync(host.display, False);
    const double openMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const long resourcesOpen = resourcesOfAllClients(host.display);

    host.startAudio(0.6f);
    host.idleFor(500);
    const double cpuBefore = threadCpuMs();
    const auto wallBefore = Clock::now();
    host.idleFor(5000);
    const double seconds = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    const double cpuPerSecond = (threadCpuMs() - cpuBefore) / seconds;
    host.stopAudio();
    host.closeEditor();

    for (int i = 0; i < 10; ++i) {  // warm-up: fontconfig and cairo fill their caches once
        host.openEditor();
        host.dispatch(effEditIdle);
        host.closeEditor();
    }
    const long resourcesBefore = resourcesOfAllClients(host.display);
    const long memoryBefore = residentKiB();
    for (int i = 0; i < 100; ++i) {
        host.openEditor();
        host.dispatch(effEditIdle);
        host.closeEditor();
    }
    const long resourcesAfter = resourcesOfAllClients(host.display);
    const long memoryAfter = residentKiB();

    std::printf("open: first %.1f ms, again %.1f ms\n", firstOpenMs, openMs);
    std::printf("idle on the host's thread with audio running: %.2f ms CPU per second (%.2f %%)\n", cpuPerSecond,
                cpuPerSecond / 10.0);
    std::printf("X resources of all clients: %ld with the editor open\n", resourcesOpen);
    std::printf("100 open/close cycles: X resources of all clients %ld -> %ld, resident memory %ld -> %ld KiB\n",
                resourcesBefore, resourcesAfter, memoryBefore, memoryAfter);
    return 0;
}
