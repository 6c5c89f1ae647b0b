// Cutting UTF-8 text without splitting a character: the one rule the property tree, the side
// panel and the plug-in's string table share. Header-only, standard library only.
#pragma once

#include <cstddef>

namespace utf8 {

// A byte that continues a multi-byte character (10xxxxxx).
inline bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The largest offset <= `offset` at which a character of the `size` bytes at `text` starts:
// cutting there keeps every character whole. `size` for an offset at or past the end.
inline std::size_t CharStart(const char* text, std::size_t size, std::size_t offset) {
    if (offset >= size)
        return size;
    while (offset > 0 && IsContinuationByte(text[offset]))
        --offset;
    return offset;
}

} // namespace utf8
