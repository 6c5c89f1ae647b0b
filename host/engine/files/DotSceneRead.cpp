// Reading scene XML into a DotSceneDocument, which ValidateDotScene (DotSceneCheck.cpp) then
// checks as a whole.
//
// What the editor keeps: nodes (name, position, rotation, scale, children), one entity
// (meshFile) or light per node (further objects of a node become children of it), lights'
// type, diffuse and specular colours, power scale, lightAttenuation and lightRange, the
// user data properties "state" and "locked", and the root node whose user data "ground" and
// "groundHeights" make it the ground (it leaves the node list). Elements of the format that the
// editor does not keep (cameras, environment, planes, ...) are skipped with a warning; any other
// element, a missing or non-finite number and a duplicate name make the file unreadable, and so
// do nodes nested deeper than kMaxDotSceneDepth and a name (or mesh file name) that is not
// valid UTF-8, holds a control character (it could not be saved as well-formed XML; a NUL
// written as a character reference included) or is longer than kMaxSceneNameBytes.
#include "DotScene.h"
#include "DotSceneText.h"

#include <OgreMatrix3.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace {

// Elements of the format that carry nothing the editor keeps: skipped with a warning.
const std::set<std::string> kSkipped = {"environment",       "externals",    "terrain",
                                        "terrainGroup",      "camera",       "plane",
                                        "particleSystem",    "billboardSet", "lookTarget",
                                        "trackTarget",       "skyBox",       "skyDome",
                                        "skyPlane",          "fog",          "animations",
                                        "userDataReference", "subentities",  "directionVector",
                                        "direction",         "normal"};

class CReader {
public:
    CReader(const std::string& text, const std::string& fileName, DotSceneDocument& doc,
            std::string& error)
        : m_text(text), m_fileName(fileName), m_doc(doc), m_error(error) {}

    bool Read() {
        pugi::xml_document xml;
        const pugi::xml_parse_result result =
            xml.load_buffer(m_text.data(), m_text.size(), pugi::parse_default, pugi::encoding_utf8);
        if (result.status == pugi::status_out_of_memory) {
            m_error = m_fileName + ": out of memory while reading the scene";
            return false;
        }
        if (!result) {
            m_error = m_fileName + ":" + std::to_string(LineAt(result.offset)) + ": " +
                      result.description();
            return false;
        }
        if (!RefuseNulReferences())
            return false;
        const pugi::xml_node root = xml.document_element();
        if (std::string(root.name()) != "scene")
            return Fail(root,
                        "the root element is <" + std::string(root.name()) + ">, not <scene>");
        for (pugi::xml_node child : root.children()) {
            if (child.type() != pugi::node_element)
                continue;
            const std::string name = child.name();
            if (name == "nodes") {
                if (!ReadNodes(child))
                    return false;
            } else if (name == "light") {
                // A light outside any node sits at the origin of the scene.
                const int index = AddNode(child, -1, child.attribute("name").value());
                if (!ReadLight(child, index))
                    return false;
            } else if (name == "userData") {
                continue; // scene-wide properties: nothing the editor keeps
            } else if (!Skip(child)) {
                return false;
            }
        }
        if (!ExtractGround())
            return false;
        NameAnonymousNodes();
        return true;
    }

private:
    // The parser turns a character reference to NUL ("&#0;", "&#x00;") into a NUL byte, which
    // ends the value as the parser hands it out: "a&#0;b" would read as "a". An attribute that
    // holds one is refused, like any other control character. Only a file with such a
    // reference somewhere is parsed a second time, keeping references as written, to find the
    // attribute (a reference in a comment is no fault).
    bool RefuseNulReferences() {
        if (!HoldsNulReference(m_text))
            return true;
        pugi::xml_document raw;
        if (!raw.load_buffer(m_text.data(), m_text.size(),
                             pugi::parse_default & ~unsigned(pugi::parse_escapes),
                             pugi::encoding_utf8))
            return true;
        // Depth first without recursion: the nesting of a file is not bounded yet here.
        pugi::xml_node node = raw.first_child();
        while (node) {
            if (node.type() == pugi::node_element)
                for (const pugi::xml_attribute a : node.attributes())
                    if (HoldsNulReference(a.value()))
                        return Fail(node, NulReferenceMessage(node, a));
            if (node.first_child()) {
                node = node.first_child();
                continue;
            }
            while (node && !node.next_sibling())
                node = node.parent();
            if (node)
                node = node.next_sibling();
        }
        return true;
    }
    static bool HoldsNulReference(const std::string& text) {
        for (size_t at = text.find("&#"); at != std::string::npos; at = text.find("&#", at + 2)) {
            size_t i = at + 2;
            const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
            if (hex)
                ++i;
            const size_t digits = i;
            bool zero = true;
            while (i < text.size() && (hex ? std::isxdigit(static_cast<unsigned char>(text[i]))
                                           : std::isdigit(static_cast<unsigned char>(text[i])))) {
                zero = zero && text[i] == '0';
                ++i;
            }
            if (i > digits && zero && i < text.size() && text[i] == ';')
                return true;
        }
        return false;
    }
    static std::string NulReferenceMessage(const pugi::xml_node& element,
                                           const pugi::xml_attribute& a) {
        const std::string name = a.name(), value = a.value();
        if (name == "name")
            return "the name '" + PrintableSceneName(value) +
                   "' is not valid UTF-8 or holds a control character";
        if (name == "meshFile")
            return "the mesh file name '" + PrintableSceneName(value) +
                   "' is not valid UTF-8 or holds a control character";
        return "<" + std::string(element.name()) + "> attribute '" + name +
               "' holds the control character NUL: '" + PrintableSceneName(value) + "'";
    }

    // The line of a parser offset: the offsets of the line starts are counted once, on the
    // first question, so that naming every node's line stays linear in the file's size.
    size_t LineAt(std::ptrdiff_t offset) const {
        if (offset < 0)
            return 0;
        if (m_lineStarts.empty()) {
            m_lineStarts.push_back(0);
            for (size_t i = 0; i < m_text.size(); ++i)
                if (m_text[i] == '\n')
                    m_lineStarts.push_back(i + 1);
        }
        const size_t at = std::min(m_text.size(), size_t(offset));
        return size_t(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), at) -
                      m_lineStarts.begin());
    }
    std::string Where(const pugi::xml_node& node) const {
        return m_fileName + ":" + std::to_string(LineAt(node.offset_debug())) + ": ";
    }
    bool Fail(const pugi::xml_node& node, const std::string& message) {
        m_error = Where(node) + message;
        return false;
    }
    bool Skip(const pugi::xml_node& element) {
        const std::string name = element.name();
        if (!kSkipped.count(name))
            return Fail(element, "unknown element <" + name + ">");
        m_doc.warnings.push_back(Where(element) + "<" + name +
                                 "> is not kept by the editor (skipped)");
        return true;
    }

    bool Number(const pugi::xml_node& element, const char* attribute, float& out) {
        const pugi::xml_attribute a = element.attribute(attribute);
        if (!a)
            return Fail(element, "<" + std::string(element.name()) + "> has no attribute '" +
                                     attribute + "'");
        if (!ParseSceneFloat(a.value(), out))
            return Fail(element, "<" + std::string(element.name()) + "> attribute '" + attribute +
                                     "' is not a finite number: '" + a.value() + "'");
        return true;
    }
    bool OptionalNumber(const pugi::xml_node& element, const char* attribute, float& out) {
        return !element.attribute(attribute) || Number(element, attribute, out);
    }
    bool Vector(const pugi::xml_node& element, Ogre::Vector3& out) {
        return Number(element, "x", out.x) && Number(element, "y", out.y) &&
               Number(element, "z", out.z);
    }
    bool Colour(const pugi::xml_node& element, Ogre::ColourValue& out) {
        out.a = 1.0f;
        return Number(element, "r", out.r) && Number(element, "g", out.g) &&
               Number(element, "b", out.b) && OptionalNumber(element, "a", out.a);
    }
    // The forms of the format: qw qx qy qz; an axis and an angle; angles about X, Y, Z.
    bool Rotation(const pugi::xml_node& element, Ogre::Quaternion& out) {
        if (element.attribute("qw")) {
            if (!Number(element, "qw", out.w) || !Number(element, "qx", out.x) ||
                !Number(element, "qy", out.y) || !Number(element, "qz", out.z))
                return false;
        } else if (element.attribute("axisX")) {
            Ogre::Vector3 axis;
            float angle = 0;
            if (!Number(element, "axisX", axis.x) || !Number(element, "axisY", axis.y) ||
                !Number(element, "axisZ", axis.z) || !Number(element, "angle", angle))
                return false;
            if (axis.squaredLength() < 1e-12f)
                return Fail(element, "<rotation> has a zero axis");
            out.FromAngleAxis(Ogre::Radian(angle), axis.normalisedCopy());
        } else if (element.attribute("angleX")) {
            Ogre::Vector3 angles;
            if (!Number(element, "angleX", angles.x) || !Number(element, "angleY", angles.y) ||
                !Number(element, "angleZ", angles.z))
                return false;
            Ogre::Matrix3 m;
            m.FromEulerAnglesXYZ(Ogre::Radian(angles.x), Ogre::Radian(angles.y),
                                 Ogre::Radian(angles.z));
            out.FromRotationMatrix(m);
        } else {
            return Fail(element, "<rotation> has no attribute 'qw'");
        }
        const float norm = out.Norm();
        if (!(norm > 1e-6f) || !std::isfinite(norm))
            return Fail(element, "<rotation> is not a rotation (zero quaternion)");
        out = out * (1.0f / norm);
        return true;
    }

    int AddNode(const pugi::xml_node& element, int parent, const std::string& name) {
        DotSceneNode node;
        node.name = name;
        node.parent = parent;
        node.line = int(LineAt(element.offset_debug()));
        m_doc.nodes.push_back(node);
        return int(m_doc.nodes.size()) - 1;
    }

    // <nodes> may carry a transform of its own: it is folded into every root node with the
    // engine's node rules, so the scene looks the same.
    bool ReadNodes(const pugi::xml_node& nodes) {
        Ogre::Vector3 position = Ogre::Vector3::ZERO, scale = Ogre::Vector3::UNIT_SCALE;
        Ogre::Quaternion rotation = Ogre::Quaternion::IDENTITY;
        const size_t first = m_doc.nodes.size();
        for (pugi::xml_node child : nodes.children()) {
            if (child.type() != pugi::node_element)
                continue;
            const std::string name = child.name();
            bool ok = true;
            if (name == "node")
                ok = ReadNode(child, -1);
            else if (name == "position")
                ok = Vector(child, position);
            else if (name == "rotation")
                ok = Rotation(child, rotation);
            else if (name == "scale")
                ok = Vector(child, scale);
            else if (name == "light")
                ok = ReadLight(child, AddNode(child, -1, child.attribute("name").value()));
            else
                ok = Skip(child);
            if (!ok)
                return false;
        }
        for (size_t i = first; i < m_doc.nodes.size(); ++i) {
            DotSceneNode& node = m_doc.nodes[i];
            if (node.parent != -1)
                continue;
            node.position = rotation * (scale * node.position) + position;
            node.rotation = rotation * node.rotation;
            node.scale = scale * node.scale;
        }
        return true;
    }

    // Nested nodes are walked with a stack of their own rather than by recursion, so the depth
    // of a file cannot exhaust the thread's stack; deeper than kMaxDotSceneDepth is refused.
    bool ReadNode(const pugi::xml_node& element, int parent) {
        struct Frame {
            int index;
            pugi::xml_node next; // the next child to read
            int objects;
        };
        std::vector<Frame> stack;
        auto enter = [&](const pugi::xml_node& node, int parentIndex) {
            if (stack.size() >= size_t(kMaxDotSceneDepth))
                return Fail(node, "nodes are nested deeper than " +
                                      std::to_string(kMaxDotSceneDepth) + " levels");
            const int index = AddNode(node, parentIndex, node.attribute("name").value());
            stack.push_back(Frame{index, node.first_child(), 0});
            return true;
        };
        if (!enter(element, parent))
            return false;
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (!frame.next) {
                stack.pop_back();
                continue;
            }
            const pugi::xml_node child = frame.next;
            frame.next = child.next_sibling();
            if (child.type() != pugi::node_element)
                continue;
            const int index = frame.index;
            const std::string name = child.name();
            bool ok = true;
            if (name == "position")
                ok = Vector(child, m_doc.nodes[size_t(index)].position);
            else if (name == "rotation")
                ok = Rotation(child, m_doc.nodes[size_t(index)].rotation);
            else if (name == "scale")
                ok = Vector(child, m_doc.nodes[size_t(index)].scale);
            else if (name == "node")
                ok = enter(child, index); // `frame` may dangle from here on
            else if (name == "entity" || name == "light")
                ok = ReadObject(child, index, frame.objects++);
            else if (name == "userData")
                ok = ReadUserData(child, index);
            else
                ok = Skip(child);
            if (!ok)
                return false;
        }
        return true;
    }

    // The first object of a node is the node's own; each further one becomes a child entity
    // without a transform of its own, named by the object.
    bool ReadObject(const pugi::xml_node& element, int nodeIndex, int ordinal) {
        int target = nodeIndex;
        if (ordinal > 0)
            target = AddNode(element, nodeIndex, element.attribute("name").value());
        return std::string(element.name()) == "entity" ? ReadEntity(element, target)
                                                       : ReadLight(element, target);
    }

    bool ReadEntity(const pugi::xml_node& element, int index) {
        DotSceneNode& node = m_doc.nodes[size_t(index)];
        const std::string mesh = element.attribute("meshFile").value();
        if (mesh.empty())
            return Fail(element, "<entity> has no attribute 'meshFile'");
        node.kind = DotSceneNode::MESH;
        node.meshFile = mesh;
        if (element.attribute("material"))
            m_doc.warnings.push_back(Where(element) + "the entity's material override is not kept");
        for (pugi::xml_node child : element.children()) {
            if (child.type() != pugi::node_element)
                continue;
            const bool ok =
                std::string(child.name()) == "userData" ? ReadUserData(child, index) : Skip(child);
            if (!ok)
                return false;
        }
        return true;
    }

    bool ReadLight(const pugi::xml_node& element, int index) {
        DotSceneLight light;
        const std::string type =
            element.attribute("type") ? element.attribute("type").value() : "point";
        if (type == "point" || type == "radPoint")
            light.type = Ogre::Light::LT_POINT;
        else if (type == "directional")
            light.type = Ogre::Light::LT_DIRECTIONAL;
        else if (type == "spot" || type == "spotLight")
            light.type = Ogre::Light::LT_SPOTLIGHT;
        else
            return Fail(element, "unknown light type '" + type + "'");
        if (!OptionalNumber(element, "powerScale", light.powerScale))
            return false;
        for (pugi::xml_node child : element.children()) {
            if (child.type() != pugi::node_element)
                continue;
            const std::string name = child.name();
            bool ok = true;
            if (name == "colourDiffuse")
                ok = Colour(child, light.diffuse);
            else if (name == "colourSpecular")
                ok = Colour(child, light.specular);
            else if (name == "lightAttenuation")
                ok = Number(child, "range", light.range) &&
                     Number(child, "constant", light.constant) &&
                     Number(child, "linear", light.linear) &&
                     Number(child, "quadratic", light.quadratic);
            else if (name == "lightRange")
                ok = Number(child, "inner", light.inner) && Number(child, "outer", light.outer) &&
                     OptionalNumber(child, "falloff", light.falloff);
            else if (name == "userData")
                ok = ReadUserData(child, index);
            else if (name == "position")
                m_doc.warnings.push_back(Where(child) +
                                         "a light's own <position> is not kept; the node "
                                         "places it");
            else
                ok = Skip(child);
            if (!ok)
                return false;
        }
        DotSceneNode& node = m_doc.nodes[size_t(index)];
        node.kind = DotSceneNode::LIGHT;
        node.light = light;
        return true;
    }

    bool ReadUserData(const pugi::xml_node& element, int index) {
        DotSceneNode& node = m_doc.nodes[size_t(index)];
        for (pugi::xml_node child : element.children()) {
            if (child.type() != pugi::node_element)
                continue;
            if (std::string(child.name()) != "property") {
                if (!Skip(child))
                    return false;
                continue;
            }
            const std::string name = child.attribute("name").value();
            const std::string data = child.attribute("data").value();
            if (name == "state") {
                if (!ParseSceneBits(data, node.state))
                    return Fail(child, "user data 'state' is not a 32-bit number: '" + data + "'");
            } else if (name == "ground" || name == "groundHeights") {
                GroundData& ground = m_ground[index];
                ground.line = int(LineAt(child.offset_debug()));
                (name == "ground" ? ground.grid : ground.heights) = data;
                ground.hasGrid = ground.hasGrid || name == "ground";
            } else if (name == "locked") {
                if (data == "true" || data == "1")
                    node.locked = true;
                else if (data == "false" || data == "0")
                    node.locked = false;
                else
                    return Fail(child, "user data 'locked' is not true or false: '" + data + "'");
            } else if (name == "hidden") {
                if (data == "true" || data == "1")
                    node.hidden = true;
                else if (data == "false" || data == "0")
                    node.hidden = false;
                else
                    return Fail(child, "user data 'hidden' is not true or false: '" + data + "'");
            }
        }
        return true;
    }

    // The node marked as the ground becomes the document's ground instead of an entity.
    bool ExtractGround() {
        int groundIndex = -1;
        for (const auto& kv : m_ground) {
            const int index = kv.first;
            const GroundData& data = kv.second;
            const std::string at = m_fileName + ":" + std::to_string(data.line) + ": ";
            if (!data.hasGrid)
                return Error(at + "user data 'groundHeights' without 'ground'");
            if (groundIndex >= 0)
                return Error(at + "a second ground");
            DotSceneGround& ground = m_doc.ground;
            float cells = 0;
            std::istringstream grid(data.grid);
            std::string w, d, c, extra;
            if (!(grid >> w >> d >> c) || (grid >> extra) || !ParseSceneFloat(w, ground.width) ||
                !ParseSceneFloat(d, ground.depth) || !ParseSceneFloat(c, cells))
                return Error(at + "user data 'ground' is not 'WIDTH DEPTH CELLS': '" + data.grid +
                             "'");
            if (!(ground.width > 0) || !(ground.depth > 0) || cells != std::floor(cells) ||
                !(cells >= 1 && cells <= 1024))
                return Error(at + "bad ground size '" + data.grid + "'");
            ground.cells = int(cells);
            const size_t count = size_t(ground.cells + 1) * size_t(ground.cells + 1);
            std::istringstream values(data.heights);
            for (std::string word; values >> word;) {
                float h = 0;
                if (!ParseSceneFloat(word, h))
                    return Error(at + "ground height '" + word + "' is not a finite number");
                ground.heights.push_back(h);
            }
            if (ground.heights.size() != count)
                return Error(at + "the ground has " + std::to_string(ground.heights.size()) +
                             " heights, not " + std::to_string(count));
            groundIndex = index;
        }
        if (groundIndex < 0)
            return true;
        DotSceneNode& node = m_doc.nodes[size_t(groundIndex)];
        for (const DotSceneNode& other : m_doc.nodes)
            if (other.parent == groundIndex)
                return Error(At(node.line) + "the ground node has children");
        if (node.parent != -1)
            return Error(At(node.line) + "the ground node is not a root node");
        if (node.position != Ogre::Vector3::ZERO || node.scale != Ogre::Vector3::UNIT_SCALE ||
            !node.rotation.equals(Ogre::Quaternion::IDENTITY, Ogre::Radian(1e-6f)))
            m_doc.warnings.push_back(At(node.line) + "the ground's own transform is not kept");
        m_doc.ground.present = true;
        m_doc.ground.meshFile = node.meshFile;
        m_doc.ground.nodeName = node.name;
        m_doc.ground.line = node.line;
        m_doc.nodes.erase(m_doc.nodes.begin() + groundIndex);
        for (DotSceneNode& other : m_doc.nodes)
            if (other.parent > groundIndex)
                --other.parent;
        return true;
    }
    bool Error(const std::string& message) {
        m_error = message;
        return false;
    }
    std::string At(int line) const { return m_fileName + ":" + std::to_string(line) + ": "; }

    // Nodes without a name get "node_1", "node_2", ... that no named node uses.
    void NameAnonymousNodes() {
        std::set<std::string> used;
        for (const DotSceneNode& node : m_doc.nodes)
            used.insert(node.name);
        int next = 1;
        for (DotSceneNode& node : m_doc.nodes) {
            if (!node.name.empty())
                continue;
            std::string candidate;
            do
                candidate = "node_" + std::to_string(next++);
            while (used.count(candidate));
            node.name = candidate;
            used.insert(candidate);
        }
    }

    struct GroundData {
        std::string grid, heights;
        bool hasGrid = false;
        int line = 0;
    };
    std::map<int, GroundData> m_ground; // by node index

    const std::string& m_text;
    mutable std::vector<size_t> m_lineStarts;
    const std::string& m_fileName;
    DotSceneDocument& m_doc;
    std::string& m_error;
};

} // namespace

bool ParseDotScene(const std::string& text, const std::string& fileName, DotSceneDocument& doc,
                   std::string& error) {
    doc = DotSceneDocument();
    CReader reader(text, fileName, doc, error);
    if (!reader.Read() || !ValidateDotScene(doc, fileName, error)) {
        doc = DotSceneDocument();
        return false;
    }
    return true;
}
