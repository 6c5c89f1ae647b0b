// Small model files written by the tests themselves: glTF JSON with its buffer inline
// (base64), binary glTF, OBJ with a material library.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace modelfiles {

inline std::string Base64(const std::string& in) {
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
        const unsigned v =
            (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8 | (unsigned char)in[i + 2];
        out += {table[v >> 18], table[(v >> 12) & 63], table[(v >> 6) & 63], table[v & 63]};
    }
    if (i + 1 == in.size()) {
        const unsigned v = (unsigned char)in[i] << 16;
        out += {table[v >> 18], table[(v >> 12) & 63], '=', '='};
    } else if (i + 2 == in.size()) {
        const unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8;
        out += {table[v >> 18], table[(v >> 12) & 63], table[(v >> 6) & 63], '='};
    }
    return out;
}

template <typename T> void Append(std::string& out, const std::vector<T>& values) {
    out.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

// One triangle's buffer: three positions (floats), then three 16-bit indices (+ 2 bytes pad).
inline std::string TriangleBuffer(const std::vector<float>& positions,
                                  const std::vector<std::uint16_t>& indices = {0, 1, 2}) {
    std::string b;
    Append(b, positions);
    Append(b, indices);
    b.append(2, '\0');
    return b;
}

// glTF JSON of a scene: `nodes` is the JSON array of nodes (mesh 0 is the triangle of
// `buffer`), `roots` the scene's root node indices; `uri` the buffer's URI ("" = inline).
inline std::string GltfText(const std::string& nodes, const std::string& roots,
                            const std::string& buffer, const std::string& uri = "",
                            const std::string& materials = "") {
    const std::string where =
        uri.empty() ? "data:application/octet-stream;base64," + Base64(buffer) : uri;
    return std::string("{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[") +
           roots + "]}],\"nodes\":" + nodes +
           ",\"meshes\":[{\"name\":\"tri\",\"primitives\":[{\"attributes\":{\"POSITION\":0},"
           "\"indices\":1" +
           (materials.empty() ? "" : ",\"material\":0") + "}]}]" +
           (materials.empty() ? "" : ",\"materials\":" + materials) +
           ",\"buffers\":[{\"byteLength\":" + std::to_string(buffer.size()) + ",\"uri\":\"" +
           where +
           "\"}],\"bufferViews\":[{\"buffer\":0,\"byteOffset\":0,\"byteLength\":36},"
           "{\"buffer\":0,\"byteOffset\":36,\"byteLength\":6}],"
           "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":"
           "\"VEC3\",\"min\":[0,0,0],\"max\":[1,1,0]},{\"bufferView\":1,\"componentType\":5123,"
           "\"count\":3,\"type\":\"SCALAR\"}]}";
}

// Binary glTF: the JSON chunk (its buffer without a URI) and the binary chunk.
inline std::string Glb(std::string json, std::string bin) {
    while (json.size() % 4)
        json += ' ';
    while (bin.size() % 4)
        bin += '\0';
    auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<char*>(&v), 4); };
    const std::uint32_t total = 12 + 8 + json.size() + 8 + bin.size();
    return "glTF" + u32(2) + u32(total) + u32(json.size()) + u32(0x4E4F534A) + json +
           u32(bin.size()) + u32(0x004E4942) + bin;
}

// A 1x1 PNG image (red).
inline std::string TinyPng() {
    static const unsigned char png[] = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
        0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00,
        0x00, 0x90, 0x77, 0x53, 0xDE, 0x00, 0x00, 0x00, 0x0C, 0x49, 0x44, 0x41, 0x54, 0x08,
        0xD7, 0x63, 0xF8, 0xCF, 0xC0, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 0x18, 0xDD, 0x8D,
        0xB0, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    return std::string(reinterpret_cast<const char*>(png), sizeof png);
}

// The start of a PNG claiming `width` x `height` (signature and header chunk only).
inline std::string PngHeader(std::uint32_t width, std::uint32_t height) {
    auto be = [](std::uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    return std::string("\x89PNG\r\n\x1a\n", 8) + be(13) + "IHDR" + be(width) + be(height) +
           std::string("\x08\x02\0\0\0", 5) + be(0) + std::string(64, '\0');
}

// A DDS header (32-bit RGBA) claiming `width` x `height`, `depth` slices (a volume when above
// 1), a cube map when `cube`; followed by `data` bytes of zeros.
inline std::string DdsHeader(std::uint32_t width, std::uint32_t height, std::uint32_t depth = 1,
                             bool cube = false, size_t data = 64) {
    std::string h(128, '\0');
    auto put = [&h](size_t at, std::uint32_t v) { std::memcpy(&h[at], &v, 4); };
    std::memcpy(&h[0], "DDS ", 4);
    put(4, 124);
    put(8, 0x1007 | (depth > 1 ? 0x800000 : 0));
    put(12, height), put(16, width), put(24, depth), put(28, 1);
    put(76, 32), put(80, 0x41), put(88, 32);
    put(92, 0xFF0000), put(96, 0xFF00), put(100, 0xFF), put(104, 0xFF000000);
    put(108, 0x1000);
    put(112, (cube ? 0xFE00 : 0) | (depth > 1 ? 0x200000 : 0));
    return h + std::string(data, '\0');
}

inline std::string Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

} // namespace modelfiles
