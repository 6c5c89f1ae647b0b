// How deep a model file nests, measured without recursion before the model reader (which
// recurses over node trees, XML elements and FBX records) sees the bytes; and how many nodes a
// Collada file's node instancing expands to, counted before the reader builds the tree:
// <instance_node> places a copy of another node (with its whole subtree), so a few kilobytes
// of nodes each instancing the one before twice expand exponentially.
#include "DotScene.h"
#include "ModelImport.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// The reader follows a JSON document's nesting by recursion too; real glTF nests a few levels.
constexpr size_t kMaxJsonNesting = 256;
// Element or record levels above and around the nodes themselves.
constexpr size_t kFormatLevels = 64;

std::string TooDeep() {
    return "the node tree is nested deeper than " + std::to_string(kMaxDotSceneDepth) + " levels";
}

// A byte that ends a number or literal of JSON (a NUL byte is an ordinary byte here).
bool EndsWord(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ':' || c == ']' ||
           c == '}';
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | code >> 6), out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | code >> 12), out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | code >> 18), out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F)), out += char(0x80 | (code & 0x3F));
    }
}

// Four hex digits at p[at..], or -1.
long Hex4(const char* p, size_t n, size_t at) {
    if (at + 4 > n)
        return -1;
    long v = 0;
    for (size_t k = at; k < at + 4; ++k) {
        const char c = p[k];
        const int d = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (d < 0)
            return -1;
        v = v * 16 + d;
    }
    return v;
}

// The JSON string starting at p[at] (after its opening quote), its escapes decoded as the
// reader decodes them ("n\u006fdes" is "nodes" to it); returns the closing quote's offset.
size_t JsonString(const char* p, size_t n, size_t at, std::string& text) {
    text.clear();
    size_t j = at;
    for (; j < n && p[j] != '"'; ++j) {
        if (p[j] != '\\' || j + 1 >= n) {
            text += p[j];
            continue;
        }
        const char e = p[++j];
        switch (e) {
        case 'b':
            text += '\b';
            break;
        case 'f':
            text += '\f';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        case 'u': {
            long code = Hex4(p, n, j + 1);
            if (code < 0) {
                text += e;
                break;
            }
            j += 4;
            // A surrogate pair spells one code point beyond the first 65,536.
            if (code >= 0xD800 && code < 0xDC00 && j + 2 < n && p[j + 1] == '\\' &&
                p[j + 2] == 'u') {
                const long low = Hex4(p, n, j + 3);
                if (low >= 0xDC00 && low < 0xE000) {
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    j += 6;
                }
            }
            AppendUtf8(text, static_cast<std::uint32_t>(code));
            break;
        }
        default:
            text += e; // '"', '\\', '/' and anything else stand for themselves
        }
    }
    return j;
}

// The node tree of glTF JSON: "nodes" (an array, or an object of named nodes in version 1)
// whose entries list "children" (indices or names). Measures the deepest chain of parents
// and refuses cycles and nodes with two parents.
class CGltfNodeScan {
public:
    std::string Scan(const char* p, size_t n) {
        struct Frame {
            char kind;
            bool expectKey;
            std::string key;
            long count;
            int role; // 0 other, 1 node list, 2 node, 3 children of m_node
            int node;
        };
        std::vector<Frame> stack;
        std::string text;
        for (size_t i = 0; i < n; ++i) {
            const char c = p[i];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ':') {
                if (!stack.empty() && stack.back().kind == '{')
                    stack.back().expectKey =
                        c == ',' ? true : (c == ':' ? false : stack.back().expectKey);
                continue;
            }
            if (c == '"') {
                i = JsonString(p, n, i + 1, text);
                if (!stack.empty() && stack.back().kind == '{' && stack.back().expectKey) {
                    stack.back().key = text;
                    continue;
                }
                Value(stack.empty() ? nullptr : &stack.back().role,
                      stack.empty() ? 0 : stack.back().node, text,
                      stack.empty() ? 0 : stack.size());
                if (!stack.empty() && stack.back().kind == '[')
                    ++stack.back().count;
                continue;
            }
            if (c == '{' || c == '[') {
                if (stack.size() >= kMaxJsonNesting)
                    return "the JSON text is nested deeper than " +
                           std::to_string(kMaxJsonNesting) + " levels";
                Frame f{c, c == '{', {}, 0, 0, -1};
                if (stack.size() == 1 && stack[0].key == "nodes") {
                    f.role = 1;
                } else if (stack.size() == 2 && stack[1].role == 1 && c == '{') {
                    f.role = 2;
                    f.node = NodeId(stack[1].kind == '[' ? std::to_string(stack[1].count)
                                                         : stack[1].key);
                } else if (stack.size() == 3 && stack[2].role == 2 && c == '[' &&
                           stack[2].key == "children") {
                    f.role = 3;
                    f.node = stack[2].node;
                }
                if (!stack.empty() && stack.back().kind == '[')
                    ++stack.back().count;
                stack.push_back(f);
                continue;
            }
            if (c == '}' || c == ']') {
                if (!stack.empty())
                    stack.pop_back();
                continue;
            }
            // A number or a literal.
            size_t j = i + 1;
            while (j < n && !EndsWord(p[j]))
                ++j;
            Value(stack.empty() ? nullptr : &stack.back().role,
                  stack.empty() ? 0 : stack.back().node, std::string(p + i, j - i), stack.size());
            if (!stack.empty() && stack.back().kind == '[')
                ++stack.back().count;
            i = j - 1;
        }
        return Depth();
    }

private:
    int NodeId(const std::string& id) {
        auto it = m_ids.emplace(id, static_cast<int>(m_parent.size()));
        if (it.second)
            m_parent.push_back(-1);
        return it.first->second;
    }

    void Value(const int* role, int node, const std::string& value, size_t) {
        if (!role || *role != 3 || node < 0)
            return;
        const int child = NodeId(value);
        if (child == node || m_parent[child] >= 0)
            m_bad = true; // a node of its own, or under two parents
        else
            m_parent[child] = node;
    }

    std::string Depth() {
        if (m_bad)
            return "a node is its own child or the child of two nodes";
        std::vector<int> depth(m_parent.size(), 0);
        std::vector<int> path;
        for (size_t i = 0; i < m_parent.size(); ++i) {
            path.clear();
            int at = static_cast<int>(i);
            while (at >= 0 && depth[at] == 0) {
                path.push_back(at);
                if (path.size() > m_parent.size())
                    return "the node tree has a cycle";
                at = m_parent[at];
            }
            int d = at >= 0 ? depth[at] : 0;
            for (auto it = path.rbegin(); it != path.rend(); ++it) {
                depth[*it] = ++d;
                if (d >= kMaxDotSceneDepth)
                    return TooDeep();
            }
        }
        return {};
    }

    std::unordered_map<std::string, int> m_ids;
    std::vector<int> m_parent;
    bool m_bad = false;
};

// Deepest element nesting of XML text (comments, declarations and sections skipped).
std::string CheckXml(const std::string& s) {
    size_t depth = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '<')
            continue;
        if (s.compare(i, 4, "<!--") == 0) {
            i = s.find("-->", i + 4);
        } else if (s.compare(i, 9, "<![CDATA[") == 0) {
            i = s.find("]]>", i + 9);
        } else if (i + 1 < s.size() && (s[i + 1] == '?' || s[i + 1] == '!')) {
            i = s.find('>', i + 1);
        } else if (i + 1 < s.size() && s[i + 1] == '/') {
            if (depth > 0)
                --depth;
            i = s.find('>', i);
        } else {
            char quote = 0;
            size_t j = i + 1;
            for (; j < s.size(); ++j) {
                if (quote) {
                    if (s[j] == quote)
                        quote = 0;
                } else if (s[j] == '"' || s[j] == '\'') {
                    quote = s[j];
                } else if (s[j] == '>') {
                    break;
                }
            }
            if (j < s.size() && s[j - 1] != '/' && ++depth > kMaxDotSceneDepth + kFormatLevels)
                return TooDeep();
            i = j;
        }
        if (i == std::string::npos)
            break;
    }
    return {};
}

template <typename T> T ReadLe(const std::string& s, size_t at) {
    T v = 0;
    for (size_t k = 0; k < sizeof(T); ++k)
        v |= static_cast<T>(static_cast<unsigned char>(s[at + k])) << (8 * k);
    return v;
}

// Record nesting of a binary FBX file: each record ends at an absolute offset and may hold
// nested records after its properties.
std::string CheckBinaryFbx(const std::string& s) {
    if (s.size() < 27)
        return {};
    const std::uint32_t version = ReadLe<std::uint32_t>(s, 23);
    const bool wide = version >= 7500;
    const size_t header = wide ? 25 : 13;
    std::vector<std::uint64_t> ends;
    size_t pos = 27;
    while (pos + header <= s.size()) {
        while (!ends.empty() && pos >= ends.back()) {
            pos = static_cast<size_t>(ends.back());
            ends.pop_back();
        }
        if (pos + header > s.size())
            break;
        const std::uint64_t end =
            wide ? ReadLe<std::uint64_t>(s, pos) : ReadLe<std::uint32_t>(s, pos);
        const std::uint64_t propLength =
            wide ? ReadLe<std::uint64_t>(s, pos + 16) : ReadLe<std::uint32_t>(s, pos + 8);
        const std::uint8_t nameLength = static_cast<std::uint8_t>(s[pos + header - 1]);
        if (end == 0) { // the empty record that closes a list of nested records
            pos += header;
            if (!ends.empty()) {
                pos = static_cast<size_t>(ends.back());
                ends.pop_back();
            }
            continue;
        }
        if (end <= pos || end > s.size())
            break; // malformed: the reader refuses it
        const std::uint64_t nested = pos + header + nameLength + propLength;
        if (nested < end) {
            ends.push_back(end);
            if (ends.size() > kMaxDotSceneDepth + kFormatLevels)
                return TooDeep();
            pos = static_cast<size_t>(nested);
        } else {
            pos = static_cast<size_t>(end);
        }
    }
    return {};
}

// Brace nesting of text FBX (strings and ';' comments skipped).
std::string CheckTextFbx(const std::string& s) {
    size_t depth = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == ';') {
            i = s.find('\n', i);
            if (i == std::string::npos)
                break;
        } else if (c == '"') {
            i = s.find('"', i + 1);
            if (i == std::string::npos)
                break;
        } else if (c == '{') {
            if (++depth > kMaxDotSceneDepth + kFormatLevels)
                return TooDeep();
        } else if (c == '}' && depth > 0) {
            --depth;
        }
    }
    return {};
}

} // namespace

std::string CheckModelNesting(const std::string& bytes) {
    size_t start = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start = 3;
    while (start < bytes.size() && (bytes[start] == ' ' || bytes[start] == '\t' ||
                                    bytes[start] == '\r' || bytes[start] == '\n'))
        ++start;
    if (bytes.compare(0, 4, "glTF") == 0 && bytes.size() >= 20) {
        const std::uint32_t length = ReadLe<std::uint32_t>(bytes, 12);
        const std::uint32_t type = ReadLe<std::uint32_t>(bytes, 16);
        if (type != 0x4E4F534Au) // the first chunk must be JSON; the reader refuses others
            return {};
        const size_t available = bytes.size() - 20;
        return CGltfNodeScan().Scan(bytes.data() + 20, length < available ? length : available);
    }
    if (start < bytes.size() && (bytes[start] == '{' || bytes[start] == '['))
        return CGltfNodeScan().Scan(bytes.data() + start, bytes.size() - start);
    if (start < bytes.size() && bytes[start] == '<')
        return CheckXml(bytes);
    if (bytes.compare(0, 18, "Kaydara FBX Binary") == 0)
        return CheckBinaryFbx(bytes);
    if (bytes.find("FBXHeaderExtension") != std::string::npos)
        return CheckTextFbx(bytes);
    return {};
}

namespace {

// Counts past this are not told apart.
constexpr std::uint64_t kSaturated = std::uint64_t(1) << 62;

// An element's name without a namespace prefix.
const char* LocalName(const pugi::xml_node& e) {
    const char* name = e.name();
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

bool Is(const pugi::xml_node& e, const char* name) {
    return e.type() == pugi::node_element && std::strcmp(LocalName(e), name) == 0;
}

} // namespace

std::string CheckColladaExpansion(const std::string& bytes) {
    // Without instancing the tree is as large as the file: nothing to count.
    if (bytes.find("instance_node") == std::string::npos)
        return {};
    pugi::xml_document doc;
    if (!doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default))
        return {}; // the reader refuses it
    // Every <node>, by position; the reader finds an instanced node by its id, else by name.
    std::vector<pugi::xml_node> nodes;
    std::vector<int> sceneRoots;
    std::unordered_map<std::string, int> byId, byName;
    std::vector<pugi::xml_node> todo{doc.document_element()};
    while (!todo.empty()) {
        const pugi::xml_node e = todo.back();
        todo.pop_back();
        if (Is(e, "node")) {
            const int index = static_cast<int>(nodes.size());
            nodes.push_back(e);
            byId.emplace(e.attribute("id").value(), index);
            byName.emplace(e.attribute("name").value(), index);
            if (Is(e.parent(), "visual_scene"))
                sceneRoots.push_back(index);
        }
        for (pugi::xml_node c = e.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                todo.push_back(c);
    }
    std::unordered_map<const void*, int> indexOf;
    for (size_t i = 0; i < nodes.size(); ++i)
        indexOf.emplace(nodes[i].internal_object(), static_cast<int>(i));
    // Each node's children in the expanded tree: its own <node> children and the nodes its
    // <instance_node> elements name.
    std::vector<std::vector<int>> children(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        for (pugi::xml_node c = nodes[i].first_child(); c; c = c.next_sibling()) {
            if (Is(c, "node")) {
                children[i].push_back(indexOf[c.internal_object()]);
            } else if (Is(c, "instance_node")) {
                std::string url = c.attribute("url").value();
                if (!url.empty() && url[0] == '#')
                    url.erase(0, 1);
                if (url.empty())
                    continue;
                if (auto id = byId.find(url); id != byId.end())
                    children[i].push_back(id->second);
                else if (auto name = byName.find(url); name != byName.end())
                    children[i].push_back(name->second);
            }
        }
    // Sizes of the expanded subtrees, depth first without recursion; a node met again while
    // its own subtree is being counted instances itself.
    enum : char { kNew, kOpen, kDone };
    std::vector<char> state(nodes.size(), kNew);
    std::vector<std::uint64_t> size(nodes.size(), 0);
    std::vector<std::pair<int, size_t>> stack;
    std::uint64_t total = 1; // the file's root
    for (int root : sceneRoots) {
        if (state[root] == kNew) {
            stack.push_back({root, 0});
            state[root] = kOpen;
        }
        while (!stack.empty()) {
            auto& [at, next] = stack.back();
            if (next < children[at].size()) {
                const int child = children[at][next++];
                if (state[child] == kOpen)
                    return "the node tree has a cycle";
                if (state[child] == kNew) {
                    state[child] = kOpen;
                    stack.push_back({child, 0});
                }
                continue;
            }
            std::uint64_t n = 1;
            for (int child : children[at])
                n = std::min(n + size[child], kSaturated);
            size[at] = n;
            state[at] = kDone;
            stack.pop_back();
        }
        total = std::min(total + size[root], kSaturated);
    }
    if (total > kMaxImportEntities)
        return "the node tree expands to " +
               (total >= kSaturated ? "more than " + std::to_string(kSaturated)
                                    : std::to_string(total)) +
               " entities, more than the " + std::to_string(kMaxImportEntities) +
               " an import makes";
    return {};
}
