// The buffer, transforms, URIs and the binary container of a glTF export.
#include "GltfLayout.h"

#include <cmath>
#include <cstring>

bool GltfTransform::HasTranslation() const {
    return translation[0] != 0 || translation[1] != 0 || translation[2] != 0;
}

bool GltfTransform::HasRotation() const {
    return rotation[0] != 0 || rotation[1] != 0 || rotation[2] != 0 || rotation[3] != 1;
}

bool GltfTransform::HasScale() const {
    return scale[0] != 1 || scale[1] != 1 || scale[2] != 1;
}

GltfTransform ToGltfTransform(const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                              const Ogre::Vector3& scale) {
    GltfTransform t;
    for (int i = 0; i < 3; ++i) {
        t.translation[i] = position[i];
        t.scale[i] = scale[i];
    }
    // Normalised in double precision (readers check the length), w made non-negative (the same
    // turn) so that an unturned node writes no rotation.
    double q[4] = {rotation.x, rotation.y, rotation.z, rotation.w};
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (!(length > 0) || !std::isfinite(length)) {
        q[0] = q[1] = q[2] = 0, q[3] = 1;
    } else {
        const double sign = q[3] < 0 ? -1.0 : 1.0;
        for (double& c : q)
            c = c * sign / length;
    }
    for (int i = 0; i < 4; ++i)
        t.rotation[i] = static_cast<float>(q[i]);
    if (t.rotation[0] == 0 && t.rotation[1] == 0 && t.rotation[2] == 0)
        t.rotation[3] = 1;
    return t;
}

int CGltfBuffer::AddView(const void* data, size_t length, int target) {
    GltfBufferView view;
    view.offset = m_bytes.size();
    view.length = length;
    view.target = target;
    m_bytes.append(static_cast<const char*>(data), length);
    m_bytes.append((4 - m_bytes.size() % 4) % 4, '\0');
    m_views.push_back(view);
    return static_cast<int>(m_views.size()) - 1;
}

std::string GltfBufferFileName(const std::string& stem) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : stem) {
        const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '~';
        if (kept) {
            out += static_cast<char>(c);
        } else {
            out += '_';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out + ".bin";
}

namespace {

void AppendU32(std::string& out, std::uint32_t v) {
    const char bytes[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                           char((v >> 24) & 0xFF)};
    out.append(bytes, 4);
}

} // namespace

std::string GlbContainer(const std::string& json, const std::string& buffer) {
    const size_t jsonLength = (json.size() + 3) / 4 * 4;
    const size_t binLength = (buffer.size() + 3) / 4 * 4;
    const size_t total = 12 + 8 + jsonLength + (buffer.empty() ? 0 : 8 + binLength);
    std::string out;
    out.reserve(total);
    out += "glTF";
    AppendU32(out, 2);
    AppendU32(out, static_cast<std::uint32_t>(total));
    AppendU32(out, static_cast<std::uint32_t>(jsonLength));
    AppendU32(out, 0x4E4F534Au); // "JSON"
    out += json;
    out.append(jsonLength - json.size(), ' ');
    if (!buffer.empty()) {
        AppendU32(out, static_cast<std::uint32_t>(binLength));
        AppendU32(out, 0x004E4942u); // "BIN\0"
        out += buffer;
        out.append(binLength - buffer.size(), '\0');
    }
    return out;
}
