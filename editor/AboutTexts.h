#ifndef QUENCHBOX_EDITOR_ABOUTTEXTS_H
#define QUENCHBOX_EDITOR_ABOUTTEXTS_H

#include <cstdint>
#include <string>

namespace quenchbox::editor {

// The texts of the about view and where they go on the about panel, drawn
// once onto it by each window system's layer in the heavy sans serif of the
// labels, 12 pixels high (20 for the two addresses).
struct AboutBlock {
    enum Kind { kFixed, kVersion, kWebAddress };
    Kind kind;
    const char* text;  // the kFixed text
    std::uint32_t colour;  // 0x00RRGGBB
    bool large;
    bool centred;
    bool wrapped;
    int left;
    int top;
    int right;
    int bottom;
};

// A credit line: a caption in grey and its content in light grey. The
// content starts at `contentLeft`, or later when the caption, as the font
// draws it, reaches further: a caption never runs into its content.
struct AboutCredit {
    int top;
    int captionLeft;
    const char* caption;
    int contentLeft;
    const char* content;
};

constexpr std::uint32_t kAboutGrey = 0xA4A4A4;
constexpr std::uint32_t kAboutLightGrey = 0xD4D4D4;
constexpr std::uint32_t kAboutRed = 0xBB2452;  // the panel's accent
constexpr int kCreditRight = 650;
constexpr int kCreditBottom = 500;
constexpr int kCreditGap = 6;  // pixels between a caption's end and its content

// The text of a block: the version line, an empty line and the build date
// ("ver. 1.0.01 / Win64"), the maker's web address (the update server's),
// or the fixed text.
std::string aboutBlockText(const AboutBlock& block, const char* platform);

// The blocks in drawing order; the last two use the large font.
extern const AboutBlock kAboutBlocks[];
extern const int kAboutBlockCount;
extern const AboutCredit kAboutCredits[];
extern const int kAboutCreditCount;

// Where a credit's content starts when its caption is `captionWidth` wide.
int creditContentLeft(const AboutCredit& credit, int captionWidth);

}  // namespace quenchbox::editor

#endif
