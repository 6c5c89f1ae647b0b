// Numbers in scene files: read without regard to the process locale, written in the shortest
// form that reads back to the same float.
#pragma once

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// A finite float with optional blanks around it and an optional leading '+'.
inline bool ParseSceneFloat(const std::string& text, float& out) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    const size_t end = text.find_last_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return false;
    if (text[begin] == '+')
        ++begin;
    float value = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    const std::from_chars_result r = std::from_chars(first, last, value);
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

// State bits: decimal (negative values as their 32-bit pattern, as a signed integer property
// stores them) or hexadecimal with "0x".
inline bool ParseSceneBits(const std::string& text, std::uint32_t& out) {
    if (text.empty() || text.find_first_of(" \t") != std::string::npos)
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end != text.c_str() + text.size() || v < -2147483648LL || v > 4294967295LL)
        return false;
    out = static_cast<std::uint32_t>(v);
    return true;
}

inline std::string FormatSceneFloat(float value) {
    char buffer[32];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

// A name that a scene file may carry: valid UTF-8 (shortest forms, no surrogates) without
// control characters (C0, DEL, C1) or the non-characters U+FFFE and U+FFFF, so that every
// saved file is well-formed XML 1.0.
inline bool IsValidSceneName(const std::string& name) {
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const auto* end = p + name.size();
    while (p < end) {
        const unsigned char c = *p;
        std::uint32_t code = 0;
        size_t length = 0;
        if (c < 0x80) {
            code = c;
            length = 1;
        } else if (c >= 0xC2 && c <= 0xDF) {
            code = c & 0x1Fu;
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            code = c & 0x0Fu;
            length = 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            code = c & 0x07u;
            length = 4;
        } else {
            return false;
        }
        if (size_t(end - p) < length)
            return false;
        for (size_t i = 1; i < length; ++i) {
            if ((p[i] & 0xC0u) != 0x80u)
                return false;
            code = (code << 6) | (p[i] & 0x3Fu);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
            return false; // overlong or beyond Unicode
        if ((code >= 0xD800 && code <= 0xDFFF) || code < 0x20 || (code >= 0x7F && code <= 0x9F) ||
            code == 0xFFFE || code == 0xFFFF)
            return false;
        p += length;
    }
    return true;
}

// The longest name an entity may have, in bytes (the longest file name as well): names are
// drawn and compared every frame, so a name of megabytes would stall the editor.
constexpr std::size_t kMaxSceneNameBytes = 255;

// `text` shortened to at most `maxBytes` bytes at the start of a UTF-8 character, so that a
// valid name stays valid.
inline std::string CutSceneName(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u)
        --cut;
    return text.substr(0, cut);
}

// `base` with the suffix added, `base` shortened (as above) so that the whole fits
// kMaxSceneNameBytes: the names made from others (copies, imports) stay within the limit.
inline std::string SceneNameWithSuffix(const std::string& base, const std::string& suffix) {
    const std::size_t room =
        suffix.size() < kMaxSceneNameBytes ? kMaxSceneNameBytes - suffix.size() : 0;
    return CutSceneName(base, room) + suffix;
}

// A name for a message: bytes that are not printable ASCII as \xNN (the message itself must
// stay printable).
inline std::string PrintableSceneName(const std::string& name) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name.substr(0, 200)) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += char(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// Why `name` may not be an entity's name in a scene file ("" when it may): "the name '...' is
// not valid UTF-8 or holds a control character" or "the name '...' is longer than 255 bytes".
inline std::string SceneNameFault(const std::string& name) {
    if (!IsValidSceneName(name))
        return "the name '" + PrintableSceneName(name) +
               "' is not valid UTF-8 or holds a control character";
    if (name.size() > kMaxSceneNameBytes)
        return "the name '" + PrintableSceneName(name) + "...' is longer than " +
               std::to_string(kMaxSceneNameBytes) + " bytes";
    return {};
}
