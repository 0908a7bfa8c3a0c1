#include "editor/AboutTexts.h"

#include "editor/UpdateServer.h"

#include "QuenchboxVersion.h"

#include <cstdio>

namespace quenchbox::editor {

namespace {

constexpr const char* kDescription = "Virtual-analog guitar distortion\n\r\nop-amp overdrive";
constexpr const char* kTerms =
    "This plug-in may be used free of charge in any music production, commercial or not, and passed on "
    "unchanged. It comes as it is, without warranty of any kind. Tell us how it sounds to you and what you "
    "would like to see next: your feedback shapes the next version.";

}  // namespace

std::string aboutBlockText(const AboutBlock& block, const char* platform)
{
    if (block.kind == AboutBlock::kWebAddress)
        return updateServer();
    if (block.kind != AboutBlock::kVersion)
        return block.text;
    char version[128];
    std::snprintf(version, sizeof(version), "ver. %d.%d.%02d / %s\n\r\n%s", QUENCHBOX_VERSION_MAJOR,
                  QUENCHBOX_VERSION_MINOR, QUENCHBOX_VERSION_PATCH, platform, __DATE__);
    return version;
}

// The description's column reaches from the panel's left edge to the logo,
// wide enough for its first line in the heavy 12-pixel font; it wraps
// rather than cut a line should a font draw wider still.
const AboutBlock kAboutBlocks[] = {
    {AboutBlock::kVersion, nullptr, kAboutGrey, false, true, false, 450, 80, 650, 140},
    {AboutBlock::kFixed, kDescription, kAboutGrey, false, true, true, 10, 80, 234, 140},
    {AboutBlock::kFixed, kTerms, kAboutLightGrey, false, true, true, 20, 200, 657, 300},
    {AboutBlock::kWebAddress, nullptr, kAboutRed, true, true, true, 20, 327, 338, 400},
    {AboutBlock::kFixed, "feedback@zuk.example", kAboutRed, true, true, true, 339, 327, 657, 400},
};
const int kAboutBlockCount = sizeof(kAboutBlocks) / sizeof(kAboutBlocks[0]);

// Each caption ends before its content in the heavy 12-pixel font; the
// credit lines stay centred on the panel.
const AboutCredit kAboutCredits[] = {
    {400, 180, "Programming:", 330, "ZUK"},
    {420, 105, "All product names and trademarks belong to", 422, "their respective owners."},
    {440, 200, "VST Plug-In Technology by", 390, "Steinberg"},
};
const int kAboutCreditCount = sizeof(kAboutCredits) / sizeof(kAboutCredits[0]);

int creditContentLeft(const AboutCredit& credit, int captionWidth)
{
    const int afterCaption = credit.captionLeft + captionWidth + kCreditGap;
    return afterCaption > credit.contentLeft ? afterCaption : credit.contentLeft;
}

}  // namespace quenchbox::editor
