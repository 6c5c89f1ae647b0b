// Numbers in scene files: read without regard to the process locale, written in the shortest
// form that reads back to the same float.
#pragma once

#include <cerrno>
#include <charconv>
#include <cmath>
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
