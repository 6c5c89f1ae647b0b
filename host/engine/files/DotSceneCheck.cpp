// Checking a scene document as a whole, whether read from a file or built by other means:
// names, parents, values and nesting.
#include "DotScene.h"
#include "DotSceneText.h"

#include <cmath>
#include <map>
#include <vector>

namespace {

std::string At(const std::string& fileName, int line) {
    return line > 0 ? fileName + ":" + std::to_string(line) + ": " : fileName + ": ";
}

bool FiniteVector(const Ogre::Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

bool ValidateDotScene(const DotSceneDocument& doc, const std::string& fileName,
                      std::string& error) {
    const int count = int(doc.nodes.size());
    std::map<std::string, int> lineOf;
    for (int i = 0; i < count; ++i) {
        const DotSceneNode& node = doc.nodes[size_t(i)];
        const std::string at = At(fileName, node.line);
        if (node.name.empty()) {
            error = at + "a node has no name";
            return false;
        }
        const std::string fault = SceneNameFault(node.name);
        if (!fault.empty()) {
            error = at + fault;
            return false;
        }
        if (!IsValidSceneName(node.meshFile)) {
            error = at + "the mesh file name '" + PrintableSceneName(node.meshFile) +
                    "' is not valid UTF-8 or holds a control character";
            return false;
        }
        const auto seen = lineOf.emplace(node.name, node.line);
        if (!seen.second) {
            error = at + "duplicate name '" + node.name + "' (first at line " +
                    std::to_string(seen.first->second) + ")";
            return false;
        }
        if (node.parent < -1 || node.parent >= count || node.parent == i) {
            error = at + "node '" + node.name + "' has no valid parent";
            return false;
        }
        const Ogre::Quaternion& q = node.rotation;
        if (!FiniteVector(node.position) || !FiniteVector(node.scale) ||
            !std::isfinite(q.w + q.x + q.y + q.z)) {
            error = at + "node '" + node.name + "' has a value that is not finite";
            return false;
        }
        if (node.scale.x == 0 || node.scale.y == 0 || node.scale.z == 0) {
            error = at + "node '" + node.name + "' has a zero scale";
            return false;
        }
        if (node.kind == DotSceneNode::MESH && node.meshFile.empty()) {
            error = at + "node '" + node.name + "' names no mesh";
            return false;
        }
    }
    if (doc.ground.present) {
        const DotSceneGround& g = doc.ground;
        const size_t count =
            g.cells >= 1 && g.cells <= 1024 ? size_t(g.cells + 1) * size_t(g.cells + 1) : 0;
        bool finite = true;
        for (float h : g.heights)
            finite = finite && std::isfinite(h);
        if (!(g.width > 0) || !(g.depth > 0) || !std::isfinite(g.width) ||
            !std::isfinite(g.depth) || count == 0 || g.heights.size() != count || !finite) {
            error = At(fileName, g.line) + "the ground's grid is not usable";
            return false;
        }
    }
    // Each node's depth, found by walking up to a node whose depth is known (linear overall):
    // a walk that meets itself is a parent cycle.
    std::vector<int> depth(size_t(count), 0); // 0 unknown, -1 on the current walk
    std::vector<int> walk;
    for (int i = 0; i < count; ++i) {
        walk.clear();
        int p = i;
        while (p != -1 && depth[size_t(p)] == 0) {
            depth[size_t(p)] = -1;
            walk.push_back(p);
            p = doc.nodes[size_t(p)].parent;
        }
        if (p != -1 && depth[size_t(p)] < 0) {
            error = At(fileName, doc.nodes[size_t(p)].line) + "node '" + doc.nodes[size_t(p)].name +
                    "' is its own ancestor (parent cycle)";
            return false;
        }
        int d = p == -1 ? 0 : depth[size_t(p)];
        for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
            depth[size_t(*it)] = ++d;
            if (d > kMaxDotSceneDepth) {
                error = At(fileName, doc.nodes[size_t(*it)].line) +
                        "nodes are nested deeper than " + std::to_string(kMaxDotSceneDepth) +
                        " levels";
                return false;
            }
        }
    }
    return true;
}
