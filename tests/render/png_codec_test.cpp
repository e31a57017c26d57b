#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "render/png_codec.h"

namespace fs = std::filesystem;

namespace {

fs::path ScratchDir() {
    const fs::path dir = fs::temp_directory_path() / ("render_png_test." + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir;
}

}   // namespace

TEST(PngCodec, RoundTripsThroughLibpngsReader) {
    // Flat runs (what charts are made of) and noise (what defeats them), at
    // sizes that are not a multiple of anything; exactly 256 colours still
    // take the palette, 257 do not.
    std::mt19937 random(949);
    struct Case {
        int32_t w, h;
        int noiseEvery;   // every n-th pixel random; 0: the pixel's own index as colour
        int colourType;   // 3 palette, 2 RGB
    };
    for (const Case& c :
         {Case{1, 1, 5, 3}, {3, 7, 5, 3}, {228, 190, 5, 2}, {257, 3, 5, 3}, {16, 16, 0, 3}, {257, 1, 0, 2}}) {
        PixelBuffer picture(c.w, c.h, 0xFCF5EE);
        for (int32_t y = 0; y < c.h; ++y)
            for (int32_t x = 0; x < c.w; ++x) {
                if (c.noiseEvery == 0)
                    picture.At(x, y) = static_cast<Colour>((y * c.w + x) * 0x010203) & 0xFFFFFF;
                else if ((x + y) % c.noiseEvery == 0)
                    picture.At(x, y) = random() & 0xFFFFFF;
            }
        const auto png = EncodePng(picture);
        ASSERT_TRUE(png.has_value());
        EXPECT_EQ(png->substr(0, 8), "\x89PNG\r\n\x1a\n");
        // 8 bits, the colour type in the header chunk.
        EXPECT_EQ(static_cast<unsigned char>((*png)[24]), 8);
        EXPECT_EQ(static_cast<unsigned char>((*png)[25]), c.colourType) << c.w << "x" << c.h;
        const auto back = DecodePng(*png);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->width, c.w);
        EXPECT_EQ(back->height, c.h);
        EXPECT_EQ(back->pixels, picture.pixels) << c.w << "x" << c.h;
    }
}

TEST(PngCodec, ChannelsGoOutAsRedGreenBlue) {
    PixelBuffer one(1, 1, 0x00332211);   // red 0x11, green 0x22, blue 0x33
    const fs::path file = ScratchDir() / "one.png";
    std::string error;
    ASSERT_TRUE(WritePngFile(file, one, error)) << error;
    const auto back = ReadPngFile(file);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->At(0, 0), 0x00332211u);
    fs::remove_all(file.parent_path());
}

TEST(PngCodec, WritesWholeOrNothing) {
    const fs::path dir = ScratchDir();
    std::string error;
    // An empty picture cannot be a PNG; a folder in the way cannot be replaced;
    // a missing folder cannot take the file: no file and no leftover either way.
    // A FIFO (or a device) is never replaced by a regular file.
    fs::create_directories(dir / "taken.png");
    ASSERT_EQ(mkfifo((dir / "fifo.png").c_str(), 0600), 0);
    const std::pair<fs::path, PixelBuffer> failures[] = {
        {dir / "empty.png", PixelBuffer(0, 0)},
        {dir / "taken.png", PixelBuffer(4, 4)},
        {dir / "fifo.png", PixelBuffer(4, 4)},
        {dir / "missing" / "x.png", PixelBuffer(4, 4)},
    };
    for (const auto& [path, picture] : failures) {
        error.clear();
        EXPECT_FALSE(WritePngFile(path, picture, error)) << path;
        EXPECT_FALSE(error.empty());
    }
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        entries += entry.path().filename() != "taken.png" && entry.path().filename() != "fifo.png";
    EXPECT_EQ(entries, 0u) << "a temporary file was left behind";
    EXPECT_TRUE(fs::is_directory(dir / "taken.png"));
    EXPECT_TRUE(fs::is_fifo(dir / "fifo.png"));

    // A name of 253 characters: the temporary beside it is short.
    const fs::path longName = dir / (std::string(249, 'n') + ".png");
    ASSERT_TRUE(WritePngFile(longName, PixelBuffer(3, 3, 1), error)) << error;
    EXPECT_TRUE(ReadPngFile(longName).has_value());
    fs::remove(longName);

    // A good write replaces an older file completely.
    std::ofstream(dir / "chart.png") << "old";
    ASSERT_TRUE(WritePngFile(dir / "chart.png", PixelBuffer(5, 2, 7), error)) << error;
    const auto back = ReadPngFile(dir / "chart.png");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->pixels, PixelBuffer(5, 2, 7).pixels);
    fs::remove_all(dir);
}

TEST(PngCodec, RefusesWhatIsNoPng) {
    const auto good = EncodePng(PixelBuffer(8, 8, 1));
    ASSERT_TRUE(good.has_value());
    for (const std::string& bad :
         {std::string(), std::string("GIF89a"), good->substr(0, good->size() / 2), std::string(good->data(), 40)})
        EXPECT_FALSE(DecodePng(bad).has_value()) << bad.size() << " bytes";
}
