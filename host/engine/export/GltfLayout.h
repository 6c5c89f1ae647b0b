// The pure parts of a glTF file's layout: the one binary buffer and its views, the node
// transform in glTF's terms, the relative URI of the buffer file, and the binary container.
#pragma once

#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <cstdint>
#include <string>
#include <vector>

// glTF's numeric codes.
enum : int {
    kGltfFloat = 5126,
    kGltfUnsignedShort = 5123,
    kGltfUnsignedInt = 5125,
    kGltfArrayBuffer = 34962,
    kGltfElementArrayBuffer = 34963,
};

// A node's local transform as glTF writes it: translation, rotation (x, y, z, w: a unit
// quaternion with w >= 0) and scale; each part left out of the file when it is the identity.
// glTF and the editor agree on axes (+Y up, right-handed, -Z forward) and on the unit (metres),
// so the values carry over; only the quaternion's order of components differs from the engine's.
struct GltfTransform {
    float translation[3] = {0, 0, 0};
    float rotation[4] = {0, 0, 0, 1};
    float scale[3] = {1, 1, 1};
    bool HasTranslation() const;
    bool HasRotation() const;
    bool HasScale() const;
};
GltfTransform ToGltfTransform(const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                              const Ogre::Vector3& scale);

// One view into the buffer: where it starts (a multiple of 4), how long it is, and its target
// (kGltfArrayBuffer, kGltfElementArrayBuffer, or 0 for an image).
struct GltfBufferView {
    size_t offset = 0;
    size_t length = 0;
    int target = 0;
};

// The file's one binary buffer, built view by view: each view starts on a 4-byte boundary
// (what every component type and the binary container need), the gaps zeros.
class CGltfBuffer {
public:
    // Appends `length` bytes as a new view; answers its index.
    int AddView(const void* data, size_t length, int target);
    const std::vector<GltfBufferView>& Views() const { return m_views; }
    // The bytes, padded with zeros to a multiple of 4.
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    std::vector<GltfBufferView> m_views;
};

// The name of the buffer file beside "STEM.gltf": STEM with each byte other than ASCII letters,
// digits, '-', '.' and '~' written as '_' and two hex digits (an '_' too), then ".bin". The
// name then is its own URI: readers that take the URI as it stands and readers that decode it
// find the same file, and two different stems never share a buffer file.
std::string GltfBufferFileName(const std::string& stem);

// The binary container (.glb) of a JSON text and a binary buffer: the 12-byte header, the JSON
// chunk padded with spaces and the buffer's chunk padded with zeros, each to a multiple of 4.
// No buffer chunk when `buffer` is empty.
std::string GlbContainer(const std::string& json, const std::string& buffer);
// The largest file the container's 32-bit length can describe.
constexpr std::uint64_t kMaxGlbBytes = 0xFFFFFFFCull;
