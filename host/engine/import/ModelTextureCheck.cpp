// Reading an image's header before any codec decodes it (see ModelImport.h): the image
// codecs allocate what a header claims, so a few hundred bytes could ask for gigabytes.
#include "ModelImport.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

using u64 = std::uint64_t;

// Products of header numbers, saturated far above any cap instead of overflowing.
constexpr u64 kSaturated = u64(1) << 62;

u64 Mul(u64 a, u64 b) {
    if (a == 0 || b == 0)
        return 0;
    return a > kSaturated / b ? kSaturated : a * b;
}

std::uint32_t Le32(const std::string& s, size_t at) {
    std::uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k)
        v |= std::uint32_t(static_cast<unsigned char>(s[at + k])) << (8 * k);
    return v;
}

std::uint32_t Be32(const std::string& s, size_t at) {
    std::uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k)
        v = v << 8 | static_cast<unsigned char>(s[at + k]);
    return v;
}

unsigned Le16(const std::string& s, size_t at) {
    return unsigned(static_cast<unsigned char>(s[at])) |
           unsigned(static_cast<unsigned char>(s[at + 1])) << 8;
}

unsigned Be16(const std::string& s, size_t at) {
    return unsigned(static_cast<unsigned char>(s[at])) << 8 |
           unsigned(static_cast<unsigned char>(s[at + 1]));
}

bool Starts(const std::string& s, const char* magic, size_t n) {
    return s.size() >= n && std::memcmp(s.data(), magic, n) == 0;
}

const char* const kCutShort = "the image holds fewer bytes than its header says";
const char* const kBadHeader = "the image header is not well formed";

// JPEG: the frame header (any SOFn marker) gives the size.
bool JpegSize(const std::string& s, u64& w, u64& h) {
    size_t at = 2;
    while (at + 4 <= s.size()) {
        if (static_cast<unsigned char>(s[at]) != 0xFF)
            return false;
        const unsigned marker = static_cast<unsigned char>(s[at + 1]);
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        const size_t length = Be16(s, at + 2);
        if (length < 2)
            return false;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > s.size())
                return false;
            h = Be16(s, at + 5);
            w = Be16(s, at + 7);
            return true;
        }
        at += 2 + length;
    }
    return false;
}

// Text headers of PNM ("P6 W H MAX") and Radiance HDR (lines, then "-Y H +X W").
bool PnmSize(const std::string& s, u64& w, u64& h) {
    u64 values[2] = {0, 0};
    size_t at = 2;
    for (u64& v : values) {
        while (at < s.size() && (std::isspace(static_cast<unsigned char>(s[at])) || s[at] == '#')) {
            if (s[at] == '#')
                while (at < s.size() && s[at] != '\n')
                    ++at;
            else
                ++at;
        }
        size_t digits = 0;
        while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at])) && digits < 12)
            v = v * 10 + u64(s[at++] - '0'), ++digits;
        if (digits == 0)
            return false;
    }
    w = values[0], h = values[1];
    return true;
}

bool HdrSize(const std::string& s, u64& w, u64& h) {
    const size_t blank = s.find("\n\n");
    if (blank == std::string::npos || blank > 65536)
        return false;
    const size_t end = s.find('\n', blank + 2);
    const std::string line = s.substr(blank + 2, end == std::string::npos ? 64 : end - blank - 2);
    char a[3] = {}, b[3] = {};
    unsigned long long first = 0, second = 0;
    if (std::sscanf(line.c_str(), "%2s %llu %2s %llu", a, &first, b, &second) != 4)
        return false;
    const bool yFirst = a[1] == 'Y';
    h = yFirst ? first : second;
    w = yFirst ? second : first;
    return true;
}

// DDS: the header's size, depth, faces and format; the data must hold the top level of
// every face and slice.
std::string DdsSize(const std::string& s, TextureHeader& out) {
    if (s.size() < 128)
        return kBadHeader;
    const std::uint32_t flags = Le32(s, 8);
    out.height = Le32(s, 12);
    out.width = Le32(s, 16);
    out.depth = (flags & 0x800000u) && Le32(s, 24) > 0 ? Le32(s, 24) : 1;
    out.mips = std::max<std::uint32_t>(Le32(s, 28), 1);
    const std::uint32_t formatFlags = Le32(s, 80);
    const std::uint32_t fourCC = Le32(s, 84);
    const std::uint32_t bits = Le32(s, 88);
    const std::uint32_t caps2 = Le32(s, 112);
    size_t data = 128;
    out.faces = 1;
    if (caps2 & 0x200u) { // a cube map: one face per set bit
        out.faces = 0;
        for (std::uint32_t bit = 0x400; bit <= 0x8000; bit <<= 1)
            out.faces += (caps2 & bit) ? 1 : 0;
        out.faces = std::max<u64>(out.faces, 1);
    }
    u64 blockBytes = 0, pixelBytes = 0;
    auto is = [fourCC](const char* code) { return std::memcmp(&fourCC, code, 4) == 0; };
    if (formatFlags & 0x4u) {
        if (is("DX10")) {
            if (s.size() < 148)
                return kBadHeader;
            data = 148;
            const std::uint32_t format = Le32(s, 128);
            const std::uint32_t misc = Le32(s, 136);
            const std::uint32_t array = std::max<std::uint32_t>(Le32(s, 140), 1);
            out.faces = Mul(array, (misc & 0x4u) ? 6 : 1);
            if ((format >= 70 && format <= 72) || (format >= 79 && format <= 81))
                blockBytes = 8;
            else if ((format >= 73 && format <= 78) || (format >= 82 && format <= 84) ||
                     (format >= 94 && format <= 99))
                blockBytes = 16;
            else
                pixelBytes = 1; // the least any other format takes
        } else if (is("DXT1") || is("ATI1") || is("BC4U") || is("BC4S")) {
            blockBytes = 8;
        } else if (is("DXT2") || is("DXT3") || is("DXT4") || is("DXT5") || is("ATI2") ||
                   is("BC5U") || is("BC5S")) {
            blockBytes = 16;
        } else {
            pixelBytes = 1; // float formats and the like: at least a byte a pixel
        }
    } else {
        pixelBytes = std::max<u64>(bits / 8, 1);
    }
    const u64 level = blockBytes ? Mul(Mul((out.width + 3) / 4, (out.height + 3) / 4), blockBytes)
                                 : Mul(Mul(out.width, out.height), pixelBytes);
    out.needBytes = data + std::min(Mul(Mul(level, out.depth), out.faces), kSaturated);
    return {};
}

} // namespace

std::string ReadTextureHeader(const std::string& s, const std::string& ext, TextureHeader& out) {
    out = TextureHeader();
    std::string kind;
    if (Starts(s, "\x89PNG\r\n\x1a\n", 8)) {
        if (s.size() < 24)
            return kBadHeader;
        kind = "png", out.width = Be32(s, 16), out.height = Be32(s, 20);
    } else if (Starts(s, "\xFF\xD8\xFF", 3)) {
        kind = "jpg";
        if (!JpegSize(s, out.width, out.height))
            return kBadHeader;
    } else if (Starts(s, "GIF87a", 6) || Starts(s, "GIF89a", 6)) {
        if (s.size() < 10)
            return kBadHeader;
        kind = "gif", out.width = Le16(s, 6), out.height = Le16(s, 8);
    } else if (Starts(s, "BM", 2)) {
        if (s.size() < 26)
            return kBadHeader;
        kind = "bmp";
        if (Le32(s, 14) == 12) {
            out.width = Le16(s, 18), out.height = Le16(s, 20);
        } else {
            const auto w = static_cast<std::int32_t>(Le32(s, 18));
            const auto h = static_cast<std::int32_t>(Le32(s, 22));
            out.width = u64(w < 0 ? -std::int64_t(w) : w);
            out.height = u64(h < 0 ? -std::int64_t(h) : h);
        }
    } else if (Starts(s, "8BPS", 4)) {
        if (s.size() < 26)
            return kBadHeader;
        kind = "psd", out.height = Be32(s, 14), out.width = Be32(s, 18);
    } else if (Starts(s, "#?RADIANCE", 10) || Starts(s, "#?RGBE", 6)) {
        kind = "hdr";
        if (!HdrSize(s, out.width, out.height))
            return kBadHeader;
    } else if (Starts(s, "P5", 2) || Starts(s, "P6", 2)) {
        kind = "ppm";
        if (!PnmSize(s, out.width, out.height))
            return kBadHeader;
    } else if (Starts(s, "DDS ", 4)) {
        kind = "dds";
        const std::string why = DdsSize(s, out);
        if (!why.empty())
            return why;
    } else if (Starts(s, "PKM ", 4)) {
        if (s.size() < 16)
            return kBadHeader;
        // ETC blocks of 4x4 pixels in 8 bytes (16 for the formats with alpha).
        kind = "pkm", out.width = Be16(s, 8), out.height = Be16(s, 10);
        const u64 block = Be16(s, 6) == 0 || Be16(s, 6) == 1 ? 8 : 16;
        out.needBytes = 16 + Mul(Mul((out.width + 3) / 4, (out.height + 3) / 4), block);
    } else if (Starts(s, "\xABKTX 11\xBB\r\n\x1A\n", 12)) {
        if (s.size() < 64)
            return kBadHeader;
        const bool swap = Le32(s, 12) != 0x04030201u;
        auto at = [&](size_t k) { return swap ? Be32(s, k) : Le32(s, k); };
        kind = "ktx", out.width = at(36), out.height = std::max<u64>(at(40), 1);
        out.depth = std::max<u64>(at(44), 1);
        out.faces = Mul(std::max<u64>(at(48), 1), std::max<u64>(at(52), 1));
        out.mips = std::max<u64>(at(56), 1);
        // The smallest block formats take 4 bits a pixel.
        out.needBytes =
            64 + u64(at(60)) + Mul(Mul(Mul(out.width, out.height), out.depth), out.faces) / 2;
    } else if (s.size() >= 4 && Le32(s, 0) == 0x03525650u) { // PVR version 3
        if (s.size() < 52)
            return kBadHeader;
        kind = "pvr", out.height = Le32(s, 24), out.width = Le32(s, 28);
        out.depth = std::max<u64>(Le32(s, 32), 1);
        out.faces = Mul(std::max<u64>(Le32(s, 36), 1), std::max<u64>(Le32(s, 40), 1));
        out.mips = std::max<u64>(Le32(s, 44), 1);
        // PVRTC at 2 bits a pixel is the smallest.
        out.needBytes =
            52 + u64(Le32(s, 48)) + Mul(Mul(Mul(out.width, out.height), out.depth), out.faces) / 4;
    } else if (s.size() >= 4 && Le32(s, 0) == 0x5CA1AB13u) { // ASTC
        if (s.size() < 16)
            return kBadHeader;
        auto u24 = [&](size_t k) { return Le32(s, k) & 0xFFFFFFu; };
        const u64 bx = static_cast<unsigned char>(s[4]), by = static_cast<unsigned char>(s[5]),
                  bz = std::max<u64>(static_cast<unsigned char>(s[6]), 1);
        if (bx == 0 || by == 0)
            return kBadHeader;
        kind = "astc", out.width = u24(7), out.height = u24(10);
        out.depth = std::max<u64>(u24(13), 1);
        out.needBytes = 16 + Mul(Mul(Mul((out.width + bx - 1) / bx, (out.height + by - 1) / by),
                                     (out.depth + bz - 1) / bz),
                                 16);
    } else if (ext == "tga" && s.size() >= 18) { // TGA has no magic number
        kind = "tga", out.width = Le16(s, 12), out.height = Le16(s, 14);
    } else {
        return "not an image of a kind the editor reads";
    }
    out.kind = kind;
    out.pixels = Mul(Mul(Mul(out.width, out.height), out.depth), out.faces);
    if (out.width == 0 || out.height == 0)
        return kBadHeader;
    unsigned levels = 1; // the longest side halved down to one pixel
    for (u64 side = std::max({out.width, out.height, out.depth}); side > 1; side /= 2)
        ++levels;
    if (out.mips > levels)
        return kBadHeader;
    if (out.pixels > kMaxTexturePixels)
        return std::to_string(out.width) + "x" + std::to_string(out.height) +
               (out.depth > 1 ? "x" + std::to_string(out.depth) : std::string()) +
               (out.faces > 1 ? " (" + std::to_string(out.faces) + " faces)" : std::string()) +
               " pixels, more than the " + std::to_string(kMaxTexturePixels) +
               " the editor decodes";
    if (out.needBytes > s.size())
        return kCutShort;
    return {};
}
