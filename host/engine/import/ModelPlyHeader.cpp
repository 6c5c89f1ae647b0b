// The header of a PLY file, checked before the model reader sees the bytes: the reader runs
// without end on some malformed headers (a line it does not know, a type it does not know, no
// end_header), which would keep a person waiting until the reader is stopped.
#include "ModelImport.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Words of one header line, split at spaces and tabs.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool IsScalarType(const std::string& word) {
    static const char* const kTypes[] = {"char",  "uchar",  "short",   "ushort", "int",   "uint",
                                         "float", "double", "int8",    "uint8",  "int16", "uint16",
                                         "int32", "uint32", "float32", "float64"};
    for (const char* type : kTypes)
        if (word == type)
            return true;
    return false;
}

bool IsCount(const std::string& word) {
    if (word.empty() || word.size() > 10)
        return false;
    for (char c : word)
        if (c < '0' || c > '9')
            return false;
    return std::stoull(word) <= 0xFFFFFFFFull;
}

// A version number such as "1.0".
bool IsVersion(const std::string& word) {
    bool digit = false, point = false;
    for (char c : word) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

constexpr size_t kMaxLineBytes = 64 * 1024;

std::string Bad(size_t line, const std::string& what) {
    return "the PLY header is not well formed (line " + std::to_string(line) + ": " + what + ")";
}

} // namespace

std::string CheckPlyHeader(const std::string& bytes) {
    if (bytes.compare(0, 3, "ply") != 0 ||
        (bytes.size() > 3 && std::strchr(" \t\r\n", bytes[3]) == nullptr))
        return {}; // not a PLY file: the reader tells what it is
    bool format = false, element = false;
    size_t at = 0;
    for (size_t number = 1;; ++number) {
        if (at >= bytes.size())
            return Bad(number, "the header has no end_header line");
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        // A header line is a few words; a longer one is data without a header.
        if (end - at > kMaxLineBytes)
            return Bad(number, number == 1 ? "the first line holds more than \"ply\""
                                           : "a line that is not part of a PLY header");
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> w = Words(line);
        if (number == 1) {
            if (w.size() != 1)
                return Bad(number, "the first line holds more than \"ply\"");
            continue;
        }
        if (w.empty())
            continue;
        const std::string& key = w[0];
        if (key == "comment" || key == "obj_info")
            continue;
        if (key == "end_header") {
            if (!format)
                return Bad(number, "no format line");
            return {};
        }
        if (key == "format") {
            if (format || w.size() != 3 ||
                (w[1] != "ascii" && w[1] != "binary_little_endian" &&
                 w[1] != "binary_big_endian") ||
                !IsVersion(w[2]))
                return Bad(number, "a format line other than ascii, binary_little_endian or "
                                   "binary_big_endian and a version");
            format = true;
        } else if (key == "element") {
            if (w.size() != 3 || !IsCount(w[2]))
                return Bad(number, "an element without a name and a count");
            element = true;
        } else if (key == "property") {
            if (!element)
                return Bad(number, "a property before any element");
            const bool list =
                w.size() == 5 && w[1] == "list" && IsScalarType(w[2]) && IsScalarType(w[3]);
            if (!list && !(w.size() == 3 && IsScalarType(w[1])))
                return Bad(number, "a property of a type PLY does not have");
        } else {
            return Bad(number, "a line that is not part of a PLY header");
        }
    }
}
