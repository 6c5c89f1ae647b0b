// A model as glTF: the binary buffer laid out first (each attribute and index list a view of
// its own, images after them), then the JSON that points into it.
#include "GltfJson.h"
#include "GltfModel.h"

#include <algorithm>
#include <limits>

namespace {

struct Accessor {
    int view = 0;
    int componentType = kGltfFloat;
    size_t count = 0;
    const char* type = "SCALAR";
    bool bounds = false; // positions carry their box
    float min[3] = {0, 0, 0};
    float max[3] = {0, 0, 0};
};

struct PrimitiveRefs {
    int position = -1, normal = -1, uv = -1, colour = -1, indices = -1, material = -1;
};

class CLayout {
public:
    explicit CLayout(const GltfModel& model) : m_model(model) {}

    void Build() {
        for (const GltfMeshData& mesh : m_model.meshes) {
            std::vector<PrimitiveRefs> refs;
            for (const GltfPrimitiveData& p : mesh.primitives)
                refs.push_back(Primitive(p));
            m_primitives.push_back(std::move(refs));
        }
        for (const GltfImageData& image : m_model.images)
            m_imageViews.push_back(m_buffer.AddView(image.bytes.data(), image.bytes.size(), 0));
    }

    std::string Json(const std::string& bufferUri) const {
        CJsonWriter w;
        w.BeginObject();
        w.Key("asset");
        w.BeginObject();
        w.Field("version", "2.0");
        w.Field("generator", "Gizmark scene-editor");
        w.EndObject();
        if (!m_model.lights.empty()) {
            w.Key("extensionsUsed");
            w.BeginArray();
            w.String("KHR_lights_punctual");
            w.EndArray();
        }
        w.FieldInt("scene", 0);
        Scenes(w);
        Nodes(w);
        Meshes(w);
        Materials(w);
        Images(w);
        Accessors(w);
        Buffers(w, bufferUri);
        Lights(w);
        w.EndObject();
        return w.Text();
    }

    const CGltfBuffer& Buffer() const { return m_buffer; }

private:
    int AddAccessor(const void* data, size_t bytes, int target, Accessor a) {
        a.view = m_buffer.AddView(data, bytes, target);
        m_accessors.push_back(a);
        return static_cast<int>(m_accessors.size()) - 1;
    }

    int Floats(const std::vector<float>& values, int width, const char* type) {
        Accessor a;
        a.count = values.size() / size_t(width);
        a.type = type;
        return AddAccessor(values.data(), values.size() * sizeof(float), kGltfArrayBuffer, a);
    }

    PrimitiveRefs Primitive(const GltfPrimitiveData& p) {
        PrimitiveRefs r;
        const size_t vertices = p.positions.size() / 3;
        Accessor position;
        position.count = vertices;
        position.type = "VEC3";
        position.bounds = true;
        for (int k = 0; k < 3; ++k) {
            position.min[k] = std::numeric_limits<float>::max();
            position.max[k] = std::numeric_limits<float>::lowest();
        }
        for (size_t v = 0; v < vertices; ++v)
            for (size_t k = 0; k < 3; ++k) {
                position.min[k] = std::min(position.min[k], p.positions[v * 3 + k]);
                position.max[k] = std::max(position.max[k], p.positions[v * 3 + k]);
            }
        r.position = AddAccessor(p.positions.data(), p.positions.size() * sizeof(float),
                                 kGltfArrayBuffer, position);
        if (p.normals.size() == vertices * 3)
            r.normal = Floats(p.normals, 3, "VEC3");
        if (p.uvs.size() == vertices * 2)
            r.uv = Floats(p.uvs, 2, "VEC2");
        if (p.colours.size() == vertices * 4)
            r.colour = Floats(p.colours, 4, "VEC4");
        // 16-bit indices while every index fits below 65535, the value readers take as a restart.
        Accessor indices;
        indices.count = p.indices.size();
        if (vertices <= 65535) {
            std::vector<std::uint16_t> narrow(p.indices.begin(), p.indices.end());
            indices.componentType = kGltfUnsignedShort;
            r.indices =
                AddAccessor(narrow.data(), narrow.size() * 2, kGltfElementArrayBuffer, indices);
        } else {
            indices.componentType = kGltfUnsignedInt;
            r.indices = AddAccessor(p.indices.data(), p.indices.size() * 4, kGltfElementArrayBuffer,
                                    indices);
        }
        r.material = p.material;
        return r;
    }

    void Scenes(CJsonWriter& w) const {
        w.Key("scenes");
        w.BeginArray();
        w.BeginObject();
        bool any = false;
        for (size_t i = 0; i < m_model.nodes.size(); ++i) {
            if (m_model.nodes[i].parent >= 0)
                continue;
            if (!any)
                w.Key("nodes"), w.BeginArray(), any = true;
            w.Integer(static_cast<long long>(i));
        }
        if (any)
            w.EndArray();
        w.EndObject();
        w.EndArray();
    }

    void Nodes(CJsonWriter& w) const {
        if (m_model.nodes.empty())
            return;
        std::vector<std::vector<int>> children(m_model.nodes.size());
        for (size_t i = 0; i < m_model.nodes.size(); ++i) {
            const int parent = m_model.nodes[i].parent;
            if (parent >= 0 && size_t(parent) < children.size())
                children[size_t(parent)].push_back(static_cast<int>(i));
        }
        w.Key("nodes");
        w.BeginArray();
        for (size_t i = 0; i < m_model.nodes.size(); ++i) {
            const GltfNodeData& n = m_model.nodes[i];
            w.BeginObject();
            w.Field("name", n.name);
            if (!children[i].empty()) {
                w.Key("children");
                w.BeginArray();
                for (int c : children[i])
                    w.Integer(c);
                w.EndArray();
            }
            if (n.transform.HasTranslation())
                w.Numbers("translation", n.transform.translation, 3);
            if (n.transform.HasRotation())
                w.Numbers("rotation", n.transform.rotation, 4);
            if (n.transform.HasScale())
                w.Numbers("scale", n.transform.scale, 3);
            if (n.mesh >= 0)
                w.FieldInt("mesh", n.mesh);
            if (n.light >= 0) {
                w.Key("extensions");
                w.BeginObject();
                w.Key("KHR_lights_punctual");
                w.BeginObject();
                w.FieldInt("light", n.light);
                w.EndObject();
                w.EndObject();
            }
            if (n.hidden || n.ground) {
                w.Key("extras");
                w.BeginObject();
                w.Key(n.hidden ? "hidden" : "ground");
                w.Bool(true);
                w.EndObject();
            }
            w.EndObject();
        }
        w.EndArray();
    }

    void Meshes(CJsonWriter& w) const {
        if (m_model.meshes.empty())
            return;
        w.Key("meshes");
        w.BeginArray();
        for (size_t m = 0; m < m_model.meshes.size(); ++m) {
            w.BeginObject();
            w.Field("name", m_model.meshes[m].name);
            w.Key("primitives");
            w.BeginArray();
            for (const PrimitiveRefs& r : m_primitives[m]) {
                w.BeginObject();
                w.Key("attributes");
                w.BeginObject();
                w.FieldInt("POSITION", r.position);
                if (r.normal >= 0)
                    w.FieldInt("NORMAL", r.normal);
                if (r.uv >= 0)
                    w.FieldInt("TEXCOORD_0", r.uv);
                if (r.colour >= 0)
                    w.FieldInt("COLOR_0", r.colour);
                w.EndObject();
                w.FieldInt("indices", r.indices);
                if (r.material >= 0)
                    w.FieldInt("material", r.material);
                w.EndObject();
            }
            w.EndArray();
            w.EndObject();
        }
        w.EndArray();
    }

    void Materials(CJsonWriter& w) const {
        if (m_model.materials.empty())
            return;
        w.Key("materials");
        w.BeginArray();
        for (const GltfMaterialData& m : m_model.materials) {
            w.BeginObject();
            w.Field("name", m.name);
            w.Key("pbrMetallicRoughness");
            w.BeginObject();
            w.Numbers("baseColorFactor", m.baseColour, 4);
            if (m.image >= 0) {
                w.Key("baseColorTexture");
                w.BeginObject();
                w.FieldInt("index", m.image); // one texture per image, in the same order
                w.EndObject();
            }
            // The editor's materials are plain diffuse ones: not metal, fully rough.
            w.FieldNumber("metallicFactor", 0.0f);
            w.FieldNumber("roughnessFactor", 1.0f);
            w.EndObject();
            if (m.doubleSided)
                w.Key("doubleSided"), w.Bool(true);
            w.EndObject();
        }
        w.EndArray();
    }

    void Images(CJsonWriter& w) const {
        if (m_model.images.empty())
            return;
        w.Key("samplers");
        w.BeginArray();
        w.BeginObject();
        w.EndObject();
        w.EndArray();
        w.Key("textures");
        w.BeginArray();
        for (size_t i = 0; i < m_model.images.size(); ++i) {
            w.BeginObject();
            w.FieldInt("sampler", 0);
            w.FieldInt("source", static_cast<long long>(i));
            w.EndObject();
        }
        w.EndArray();
        w.Key("images");
        w.BeginArray();
        for (size_t i = 0; i < m_model.images.size(); ++i) {
            w.BeginObject();
            w.Field("name", m_model.images[i].name);
            w.FieldInt("bufferView", m_imageViews[i]);
            w.Field("mimeType", m_model.images[i].mimeType);
            w.EndObject();
        }
        w.EndArray();
    }

    void Accessors(CJsonWriter& w) const {
        if (m_accessors.empty())
            return;
        w.Key("accessors");
        w.BeginArray();
        for (const Accessor& a : m_accessors) {
            w.BeginObject();
            w.FieldInt("bufferView", a.view);
            w.FieldInt("componentType", a.componentType);
            w.FieldInt("count", static_cast<long long>(a.count));
            w.Field("type", a.type);
            if (a.bounds) {
                w.Numbers("min", a.min, 3);
                w.Numbers("max", a.max, 3);
            }
            w.EndObject();
        }
        w.EndArray();
    }

    void Buffers(CJsonWriter& w, const std::string& bufferUri) const {
        if (m_buffer.Views().empty())
            return;
        w.Key("bufferViews");
        w.BeginArray();
        for (const GltfBufferView& v : m_buffer.Views()) {
            w.BeginObject();
            w.FieldInt("buffer", 0);
            if (v.offset)
                w.FieldInt("byteOffset", static_cast<long long>(v.offset));
            w.FieldInt("byteLength", static_cast<long long>(v.length));
            if (v.target)
                w.FieldInt("target", v.target);
            w.EndObject();
        }
        w.EndArray();
        w.Key("buffers");
        w.BeginArray();
        w.BeginObject();
        w.FieldInt("byteLength", static_cast<long long>(m_buffer.Bytes().size()));
        if (!bufferUri.empty())
            w.Field("uri", bufferUri);
        w.EndObject();
        w.EndArray();
    }

    void Lights(CJsonWriter& w) const {
        if (m_model.lights.empty())
            return;
        w.Key("extensions");
        w.BeginObject();
        w.Key("KHR_lights_punctual");
        w.BeginObject();
        w.Key("lights");
        w.BeginArray();
        for (const GltfLightData& l : m_model.lights) {
            w.BeginObject();
            w.Field("name", l.name);
            w.Field("type", l.type);
            w.Numbers("color", l.colour, 3);
            w.FieldNumber("intensity", l.intensity);
            if (l.range > 0)
                w.FieldNumber("range", l.range);
            if (l.type == "spot") {
                w.Key("spot");
                w.BeginObject();
                w.FieldNumber("innerConeAngle", l.innerCone);
                w.FieldNumber("outerConeAngle", l.outerCone);
                w.EndObject();
            }
            w.EndObject();
        }
        w.EndArray();
        w.EndObject();
        w.EndObject();
    }

    const GltfModel& m_model;
    CGltfBuffer m_buffer;
    std::vector<Accessor> m_accessors;
    std::vector<std::vector<PrimitiveRefs>> m_primitives;
    std::vector<int> m_imageViews;
};

} // namespace

GltfFileBytes FormatGltf(const GltfModel& model, const std::string& bufferUri) {
    CLayout layout(model);
    layout.Build();
    GltfFileBytes out;
    out.json = layout.Json(bufferUri);
    out.buffer = layout.Buffer().Bytes();
    return out;
}
