// The skins' resampler: area means that keep a flat picture flat, halve
// exactly as a 2x2 mean, keep premultiplied pixels valid at the editor's
// real sizes, never mix a film strip's frames, and read and write only the
// rows they are given (the buffers are exactly as large as their rows, for
// the address sanitizer).

#include "editor/EditorScale.h"
#include "editor/ImageResampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace quenchbox::editor {
namespace {

struct Picture {
    int width;
    int height;
    int stride;
    std::vector<std::uint8_t> bytes;

    Picture(int w, int h, int padding = 0) : width(w), height(h), stride(4 * w + padding), bytes(stride * h) {}
    std::uint8_t* at(int x, int y) { return bytes.data() + y * stride + 4 * x; }
    const std::uint8_t* at(int x, int y) const { return bytes.data() + y * stride + 4 * x; }
    PixelRows rows() const { return {bytes.data(), width, height, stride}; }
    WritablePixelRows writable() { return {bytes.data(), width, height, stride}; }
};

Picture resampled(const Picture& source, int width, int height)
{
    Picture target(width, height);
    EXPECT_TRUE(resampleByArea(source.rows(), target.writable()));
    return target;
}

// Random premultiplied pixels: each colour byte at most the alpha byte (the last).
Picture randomPremultiplied(int width, int height, unsigned seed)
{
    Picture picture(width, height);
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < picture.bytes.size(); i += 4) {
        const unsigned alpha = random() % 3 == 0 ? (random() % 2) * 255 : random() % 256;
        for (int c = 0; c < 3; ++c)
            picture.bytes[i + c] = static_cast<std::uint8_t>(random() % (alpha + 1));
        picture.bytes[i + 3] = static_cast<std::uint8_t>(alpha);
    }
    return picture;
}

// The editor's sizes from the 2x panel: 1354 x 960 to 125, 150 and 175 %.
const int kPanelSizes[][2] = {{846, 600}, {1016, 720}, {1185, 840}};

TEST(ImageResampler, AFlatPictureStaysExactlyFlatAtEverySize)
{
    Picture flat(2 * kPanelWidth, 2 * kPanelHeight);
    for (std::size_t i = 0; i < flat.bytes.size(); i += 4)
        for (int b = 0; b < 4; ++b)
            flat.bytes[i + b] = static_cast<std::uint8_t>(40 + 60 * b + 1);
    const int sizes[][2] = {{846, 600}, {1016, 720}, {1185, 840}, {1, 1}, {1353, 1}, {1, 959}, {2000, 1500}};
    for (const auto& size : sizes) {
        const Picture target = resampled(flat, size[0], size[1]);
        for (std::size_t i = 0; i < target.bytes.size(); ++i)
            ASSERT_EQ(target.bytes[i], 40 + 60 * (i % 4) + 1) << size[0] << " x " << size[1] << " byte " << i;
    }
}

TEST(ImageResampler, HalvingIsTheMeanOfEachTwoByTwoBlockAndOnePixelTheMeanOfAll)
{
    const Picture source = randomPremultiplied(10, 6, 1);
    const Picture half = resampled(source, 5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int b = 0; b < 4; ++b) {
                const int sum = source.at(2 * x, 2 * y)[b] + source.at(2 * x + 1, 2 * y)[b] +
                                source.at(2 * x, 2 * y + 1)[b] + source.at(2 * x + 1, 2 * y + 1)[b];
                ASSERT_EQ(half.bytes[y * half.stride + 4 * x + b], (sum + 2) / 4) << x << ", " << y;
            }

    // Three pixels to two: the middle one shared, a third to each side.
    Picture row(3, 1);
    const std::uint8_t values[3] = {0, 90, 255};
    for (int x = 0; x < 3; ++x)
        row.at(x, 0)[0] = values[x];
    const Picture two = resampled(row, 2, 1);
    EXPECT_EQ(two.bytes[0], 30);
    EXPECT_EQ(two.bytes[4], 200);
    EXPECT_EQ(resampled(row, 1, 1).bytes[0], 115);  // 345 / 3
}

void expectColoursWithinAlpha(const Picture& picture)
{
    for (std::size_t i = 0; i < picture.bytes.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            ASSERT_LE(picture.bytes[i + c], picture.bytes[i + 3])
                << picture.width << " x " << picture.height << " pixel " << i / 4;
}

TEST(ImageResampler, PremultipliedPixelsStayValidAtTheEditorsSizes)
{
    const Picture dial = randomPremultiplied(2 * 94, 2 * 94, 7);  // a dial's box at 2x
    const int boxSizes[][2] = {{117, 118}, {141, 141}, {164, 165}, {1, 1}, {250, 3}};
    for (const auto& size : boxSizes)
        expectColoursWithinAlpha(resampled(dial, size[0], size[1]));
    const Picture panel = randomPremultiplied(2 * kPanelWidth, 2 * kPanelHeight, 3);
    for (const auto& size : kPanelSizes)
        expectColoursWithinAlpha(resampled(panel, size[0], size[1]));
}

TEST(ImageResampler, AFilmStripsFramesStayApart)
{
    // Two frames of 20 rows at 2x, drawn at 12 rows each (a 10-row frame at
    // 125 %, rounded up): the boundary falls between target rows.
    Picture strip(4, 40);
    for (int y = 20; y < 40; ++y)
        for (int x = 0; x < 4; ++x)
            for (int b = 0; b < 4; ++b)
                strip.at(x, y)[b] = 255;
    const Picture target = resampled(strip, 3, 24);
    for (int y = 0; y < 24; ++y)
        EXPECT_EQ(target.bytes[y * target.stride], y < 12 ? 0 : 255) << y;
}

TEST(ImageResamplerInput, PaddingIsNeitherReadNorWrittenAndBadSizesWriteNothing)
{
    Picture padded(5, 4, 12);
    Picture tight(5, 4);
    std::mt19937 random(5);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 20; ++x)
            padded.bytes[y * padded.stride + x] = tight.bytes[y * tight.stride + x] =
                static_cast<std::uint8_t>(random());
    for (int y = 0; y < 4; ++y)
        for (int x = 20; x < padded.stride; ++x)
            padded.bytes[y * padded.stride + x] = 0xEE;
    Picture target(3, 3, 8);
    std::fill(target.bytes.begin(), target.bytes.end(), 0x5A);
    ASSERT_TRUE(resampleByArea(padded.rows(), target.writable()));
    const Picture expected = resampled(tight, 3, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(target.bytes[y * target.stride + x], expected.bytes[y * expected.stride + x]);
        for (int x = 12; x < target.stride; ++x)
            EXPECT_EQ(target.bytes[y * target.stride + x], 0x5A);
    }

    Picture untouched(2, 2);
    const std::vector<std::uint8_t> before = untouched.bytes;
    EXPECT_FALSE(resampleByArea({tight.bytes.data(), 0, 4, 20}, untouched.writable()));
    EXPECT_FALSE(resampleByArea({tight.bytes.data(), 5, 4, 16}, untouched.writable()));  // stride shorter than a row
    EXPECT_FALSE(resampleByArea(tight.rows(), {untouched.bytes.data(), 2, -1, 8}));
    EXPECT_FALSE(resampleByArea({tight.bytes.data(), 4097, 4096, 4 * 4097}, untouched.writable()));  // over 2^24
    EXPECT_EQ(untouched.bytes, before);
}

}  // namespace
}  // namespace quenchbox::editor
