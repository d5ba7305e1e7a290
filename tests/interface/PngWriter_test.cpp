// The demo host's PNG encoder: checksums and the stored-block stream.
#include "PngWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t U32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

TEST(PngWriter, ChecksumsMatchTheirReferenceValues) {
    const char* digits = "123456789";
    EXPECT_EQ(PngCrc32(reinterpret_cast<const uint8_t*>(digits), 9), 0xCBF43926u);
    const char* word = "Wikipedia";
    EXPECT_EQ(PngAdler32(reinterpret_cast<const uint8_t*>(word), 9), 0x11E60398u);
    EXPECT_EQ(PngAdler32(nullptr, 0), 1u);
}

// Walks the chunks, checks their CRCs and returns the inflated image data.
std::vector<uint8_t> InflateStored(const std::vector<uint8_t>& png, int* pWidth, int* pHeight) {
    std::vector<uint8_t> z, raw;
    size_t pos = 8;
    while (pos + 12 <= png.size()) {
        const uint32_t len = U32(&png[pos]);
        const std::string type(reinterpret_cast<const char*>(&png[pos + 4]), 4);
        EXPECT_EQ(U32(&png[pos + 8 + len]), PngCrc32(&png[pos + 4], len + 4)) << type;
        if (type == "IHDR") {
            *pWidth = static_cast<int>(U32(&png[pos + 8]));
            *pHeight = static_cast<int>(U32(&png[pos + 12]));
        }
        if (type == "IDAT") z.insert(z.end(), &png[pos + 8], &png[pos + 8] + len);
        pos += 12 + len;
    }
    EXPECT_EQ(pos, png.size());
    size_t at = 2;
    for (;;) {
        const bool last = z[at] & 1;
        const size_t n = z[at + 1] | (z[at + 2] << 8);
        EXPECT_EQ(n ^ 0xFFFF, size_t(z[at + 3] | (z[at + 4] << 8)));
        raw.insert(raw.end(), &z[at + 5], &z[at + 5] + n);
        at += 5 + n;
        if (last) break;
    }
    EXPECT_EQ(U32(&z[at]), PngAdler32(raw.data(), raw.size()));
    return raw;
}

TEST(PngWriter, RowsSurviveTheRoundTrip) {
    const int width = 300, height = 100; // 90100 raw bytes: two stored blocks
    std::vector<uint8_t> rgb(width * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> png = EncodePng(width, height, rgb);
    ASSERT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    int w = 0, h = 0;
    const std::vector<uint8_t> raw = InflateStored(png, &w, &h);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    ASSERT_EQ(raw.size(), size_t(height) * (width * 3 + 1));
    for (int y = 0; y < height; ++y) {
        EXPECT_EQ(raw[y * (width * 3 + 1)], 0) << "filter byte of row " << y;
        EXPECT_EQ(std::memcmp(&raw[y * (width * 3 + 1) + 1], &rgb[y * width * 3], width * 3), 0)
            << "row " << y;
    }
}

} // namespace
