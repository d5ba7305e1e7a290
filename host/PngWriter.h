// A small PNG encoder for screenshots: 8-bit RGB, no filtering, stored (uncompressed) deflate
// blocks. Enough for a viewer; not meant to be small.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// CRC-32 (ISO 3309, as PNG chunks use it) and Adler-32 (zlib) of a byte range.
uint32_t PngCrc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t PngAdler32(const uint8_t* data, size_t size);

// The PNG file for width x height pixels given as top-down rows of RGB bytes (3 per pixel).
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb);

// Writes the PNG to a file; false when the file cannot be written.
bool WritePngFile(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb);
