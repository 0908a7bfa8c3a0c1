// Prints how close the main panel comes, at 125, 150, 175 and 200 %, to its
// source drawing (resources/skins/src/panel-main.svg) rendered at that size
// by librsvg, the library behind rsvg-convert (as `rsvg-convert -w W -h H`
// renders it): the RMS error of the X11 build's panel, of the Windows
// build's (the pictures panel-sizes.exe saved, when their folder is given)
// and of the best plain enlargement of the 1x panel (the least error among
// cairo's filters), and each build's error over the enlargement's. The
// panel is the whole picture in all three, so the same content is compared.
// Usage: quenchbox-skin-figures [folder of the Windows build's panel-main-*.png]
// Exits with 0 when every build's panel between 1x and 2x is at least twice
// as close to the drawing as the enlargement and the two builds' panels are
// the same pixels, 1 when not, 77 (skipped) without librsvg.

#include "editor/EditorScale.h"
#include "editor/x11/SkinImages.h"
#include "resources/SkinIds.h"

#include <cairo.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace quenchbox::editor;

// The few entry points of librsvg a render needs, looked up at run time: the
// machines that build have the library without its headers.
class SvgRenderer {
public:
    SvgRenderer()
    {
        // Loaded for good: GLib's types, once registered, cannot be unloaded.
        void* library = dlopen("librsvg-2.so.2", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return;
        newFromFile = reinterpret_cast<NewFromFile>(dlsym(library, "rsvg_handle_new_from_file"));
        renderCairo = reinterpret_cast<RenderCairo>(dlsym(library, "rsvg_handle_render_cairo"));
        unref = reinterpret_cast<Unref>(dlsym(library, "g_object_unref"));
    }
    bool ready() const { return newFromFile != nullptr && renderCairo != nullptr && unref != nullptr; }

    // The drawing `path` (kPanelWidth x kPanelHeight units) stretched over
    // width x height pixels; null when it does not render.
    cairo_surface_t* render(const char* path, int width, int height) const
    {
        void* handle = newFromFile(path, nullptr);
        if (handle == nullptr)
            return nullptr;
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* cr = cairo_create(surface);
        cairo_scale(cr, static_cast<double>(width) / kPanelWidth, static_cast<double>(height) / kPanelHeight);
        const bool rendered = renderCairo(handle, cr) != 0;
        cairo_destroy(cr);
        unref(handle);
        cairo_surface_flush(surface);
        if (!rendered) {
            cairo_surface_destroy(surface);
            return nullptr;
        }
        return surface;
    }

private:
    using NewFromFile = void* (*)(const char*, void**);
    using RenderCairo = int (*)(void*, cairo_t*);
    using Unref = void (*)(void*);
    NewFromFile newFromFile = nullptr;
    RenderCairo renderCairo = nullptr;
    Unref unref = nullptr;
};

// The byte at `shift` of pixel (x, y): 16 red, 8 green, 0 blue.
int channelAt(cairo_surface_t* surface, int x, int y, int shift)
{
    const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return static_cast<int>((reinterpret_cast<const std::uint32_t*>(row)[x] >> shift) & 0xFF);
}

bool sameSize(cairo_surface_t* a, cairo_surface_t* b)
{
    return cairo_image_surface_get_width(a) == cairo_image_surface_get_width(b) &&
           cairo_image_surface_get_height(a) == cairo_image_surface_get_height(b);
}

// Over red, green and blue as premultiplied (that is, over black), in levels
// of 255; NaN when the sizes differ.
double rmsError(cairo_surface_t* a, cairo_surface_t* b)
{
    if (!sameSize(a, b))
        return std::nan("");
    const int width = cairo_image_surface_get_width(a);
    const int height = cairo_image_surface_get_height(a);
    double sum = 0.0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int shift : {16, 8, 0}) {
                const int difference = channelAt(a, x, y, shift) - channelAt(b, x, y, shift);
                sum += difference * difference;
            }
    return std::sqrt(sum / (3.0 * width * height));
}

int largestDifference(cairo_surface_t* a, cairo_surface_t* b)
{
    if (!sameSize(a, b))
        return 256;
    int largest = 0;
    for (int y = 0; y < cairo_image_surface_get_height(a); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(a); ++x)
            for (int shift : {16, 8, 0})
                largest = std::max(largest, std::abs(channelAt(a, x, y, shift) - channelAt(b, x, y, shift)));
    return largest;
}

cairo_surface_t* enlarged(cairo_surface_t* once, int width, int height, cairo_filter_t filter)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, static_cast<double>(width) / kPanelWidth, static_cast<double>(height) / kPanelHeight);
    cairo_set_source_surface(cr, once, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), filter);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

// The least error of the 1x panel enlarged by each of cairo's filters,
// printed one by one.
double bestEnlargementError(cairo_surface_t* once, cairo_surface_t* reference)
{
    const struct {
        cairo_filter_t filter;
        const char* name;
    } filters[] = {{CAIRO_FILTER_NEAREST, "nearest"}, {CAIRO_FILTER_BILINEAR, "bilinear"},
                   {CAIRO_FILTER_GOOD, "good"}, {CAIRO_FILTER_BEST, "best"}};
    double best = INFINITY;
    std::printf("  1x enlarged:");
    for (const auto& candidate : filters) {
        cairo_surface_t* picture = enlarged(once, cairo_image_surface_get_width(reference),
                                            cairo_image_surface_get_height(reference), candidate.filter);
        const double error = rmsError(picture, reference);
        cairo_surface_destroy(picture);
        std::printf(" %s %.2f", candidate.name, error);
        best = std::min(best, error);
    }
    std::printf(" (best %.2f)\n", best);
    return best;
}

cairo_surface_t* windowsPanel(const char* folder, int percent)
{
    if (folder == nullptr)
        return nullptr;
    const std::string path = std::string(folder) + "/panel-main-" + std::to_string(percent) + ".png";
    cairo_surface_t* picture = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS)
        return picture;
    std::printf("  no Windows panel %s\n", path.c_str());
    cairo_surface_destroy(picture);
    return nullptr;
}

// A reduction from the 2x rendering should halve the enlargement's error at least.
constexpr double kLargestErrorRatio = 0.5;
constexpr int kSkipped = 77;

// Prints the figures of one size; false when a panel misses the target.
bool printSize(const SvgRenderer& svg, cairo_surface_t* once, double scale, const char* windowsFolder)
{
    const int width = scaledLength(kPanelWidth, scale);
    const int height = scaledLength(kPanelHeight, scale);
    const int percent = scaledLength(100, scale);
    std::printf("%d %% (%d x %d), RMS error against the drawing in levels:\n", percent, width, height);
    cairo_surface_t* reference = svg.render(QUENCHBOX_PANEL_DRAWING, width, height);
    if (reference == nullptr) {
        std::printf("  the drawing does not render\n");
        return false;
    }
    const double enlargement = bestEnlargementError(once, reference);

    const auto start = std::chrono::steady_clock::now();
    cairo_surface_t* x11 = loadSkinScaled(SKIN_MAIN_PANEL, scale, width, height);
    const double drawnMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double x11Error = rmsError(x11, reference);
    std::printf("  X11 panel: %.2f, %.2f of the enlargement's (decoded and drawn in %.1f ms)\n", x11Error,
                x11Error / enlargement, drawnMs);
    bool met = x11Error / enlargement <= kLargestErrorRatio;
    if (cairo_surface_t* windows = windowsPanel(windowsFolder, percent)) {
        const double windowsError = rmsError(windows, reference);
        const int difference = largestDifference(windows, x11);
        std::printf("  Windows panel: %.2f, %.2f of the enlargement's; largest difference from the X11 panel %d\n",
                    windowsError, windowsError / enlargement, difference);
        met = met && windowsError / enlargement <= kLargestErrorRatio && difference == 0;
        cairo_surface_destroy(windows);
    }
    cairo_surface_destroy(x11);
    cairo_surface_destroy(reference);
    return met;
}

}  // namespace

int main(int argc, char** argv)
{
    const SvgRenderer svg;
    cairo_surface_t* once = loadSkin(SKIN_MAIN_PANEL);
    if (!svg.ready() || once == nullptr) {
        std::fprintf(stderr, "librsvg-2.so.2 or the 1x panel is missing\n");
        return kSkipped;
    }
    bool met = true;
    for (int step = 1; step < kScaleStepCount; ++step)
        met = printSize(svg, once, kScaleSteps[step], argc > 1 ? argv[1] : nullptr) && met;
    cairo_surface_destroy(once);
    std::printf("%s\n", met ? "every panel at least twice as close to the drawing as the enlargement"
                            : "a panel misses the target");
    return met ? 0 : 1;
}
