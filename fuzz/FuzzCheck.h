// What every fuzz target checks: a failed invariant prints what broke and aborts, which
// libFuzzer reports as a crash and saves the input that caused it.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz invariant broken at %s:%d: %s (%s)\n", __FILE__, __LINE__,  \
                         what, #condition);                                                        \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// Strict UTF-8: no stray continuation byte, no truncated or overlong sequence, no surrogate,
// nothing above U+10FFFF.
inline bool IsValidUtf8(const std::string& text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        std::size_t length = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            min = 0x80;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            min = 0x800;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            min = 0x10000;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (s[i + k] & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

template <class V> bool FiniteVector(const V& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Splits the input at the first `count - 1` occurrences of `separator`.
template <class Out> void SplitInput(const std::string& input, char separator, Out& parts) {
    std::size_t from = 0;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::size_t at = input.find(separator, from);
        if (at == std::string::npos) {
            parts[i] = input.substr(from);
            from = input.size();
            continue;
        }
        parts[i] = input.substr(from, at - from);
        from = at + 1;
    }
    parts.back() = from < input.size() ? input.substr(from) : std::string();
}

} // namespace fuzz
