#include "editor/x11/TextPainter.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <string>
#include <vector>

namespace quenchbox::editor {

namespace {

// The heavy sans serif of the panel's texts, as fontconfig resolves it.
cairo_font_face_t* findFace()
{
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans:bold"));
    if (wanted == nullptr)
        return nullptr;
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, wanted, &result);
    FcPatternDestroy(wanted);
    if (found == nullptr)
        return nullptr;
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(found);
    FcPatternDestroy(found);  // the face keeps its own reference
    if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face);
        return nullptr;
    }
    return face;
}

// The lines of `text`: broken at "\n", "\r" dropped.
std::vector<std::string> hardLines(const char* text)
{
    std::vector<std::string> lines(1);
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n')
            lines.emplace_back();
        else if (*c != '\r')
            lines.back() += *c;
    }
    return lines;
}

}  // namespace

TextPainter::TextPainter() : face(findFace()) {}

TextPainter::~TextPainter()
{
    if (face != nullptr)
        cairo_font_face_destroy(face);
}

void TextPainter::select(cairo_t* cr, double pixels, std::uint32_t colour) const
{
    if (face != nullptr)
        cairo_set_font_face(cr, face);
    else
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, pixels);
    cairo_set_source_rgb(cr, ((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                         (colour & 0xFF) / 255.0);
}

double TextPainter::width(cairo_t* cr, const char* text, int pixels) const
{
    cairo_save(cr);
    select(cr, pixels, 0);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    cairo_restore(cr);
    return extents.x_advance;
}

double TextPainter::fittingSize(cairo_t* cr, const char* text, int pixels, double maximumWidth) const
{
    const double natural = width(cr, text, pixels);
    return natural <= maximumWidth || natural <= 0.0 ? pixels : pixels * maximumWidth / natural;
}

void TextPainter::drawCentredLine(cairo_t* cr, const char* text, const WidgetBox& box, std::uint32_t colour,
                                  int pixels) const
{
    if (text[0] == '\0')
        return;
    cairo_save(cr);
    cairo_rectangle(cr, box.x, box.y, box.width, box.height);
    cairo_clip(cr);
    select(cr, fittingSize(cr, text, pixels, box.width), colour);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    const double top = box.y + (box.height - (font.ascent + font.descent)) / 2.0;
    cairo_move_to(cr, box.x + (box.width - extents.x_advance) / 2.0, top + font.ascent);
    cairo_show_text(cr, text);
    cairo_restore(cr);
}

void TextPainter::drawBlock(cairo_t* cr, const char* text, const WidgetBox& box, std::uint32_t colour, int pixels,
                            bool centred, bool wrapped) const
{
    // Break into the lines that fit the box, word by word when wrapping.
    std::vector<std::string> lines;
    for (const std::string& line : hardLines(text)) {
        if (!wrapped) {
            lines.push_back(line);
            continue;
        }
        std::string current;
        std::size_t start = 0;
        while (start <= line.size()) {
            std::size_t end = line.find(' ', start);
            if (end == std::string::npos)
                end = line.size();
            const std::string word = line.substr(start, end - start);
            const std::string joined = current.empty() ? word : current + " " + word;
            if (!current.empty() && width(cr, joined.c_str(), pixels) > box.width) {
                lines.push_back(current);
                current = word;
            } else {
                current = joined;
            }
            start = end + 1;
        }
        lines.push_back(current);
    }

    cairo_save(cr);
    select(cr, pixels, colour);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    const double lineHeight = font.ascent + font.descent;
    double baseline = box.y + font.ascent;
    for (const std::string& line : lines) {
        // A line too wide for the box (one long word) is drawn smaller.
        select(cr, fittingSize(cr, line.c_str(), pixels, box.width), colour);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, line.c_str(), &extents);
        const double left = centred ? box.x + (box.width - extents.x_advance) / 2.0 : box.x;
        cairo_move_to(cr, left, baseline);
        cairo_show_text(cr, line.c_str());
        baseline += lineHeight;
    }
    cairo_restore(cr);
}

}  // namespace quenchbox::editor
