// JSON text of an export: escaping, numbers, and the writer's commas.
#include "GltfJson.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence at `s[i]`, 0 when the bytes there are not one.
size_t Utf8SequenceLength(const std::string& s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    std::uint32_t code;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07;
    else
        return 0;
    if (i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points past the last.
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
        (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

std::string JsonString(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD"; // U+FFFD for the one byte that starts no valid sequence
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text, i, length);
            i += length;
            continue;
        }
        const char c = text[i++];
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

std::string JsonNumber(float value) {
    if (!std::isfinite(value))
        return "0";
    if (value == 0.0f)
        return "0"; // also for -0
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void CJsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_open.empty()) {
        if (m_open.back())
            m_text += ',';
        m_open.back() = true;
    }
}

void CJsonWriter::BeginObject() {
    BeforeValue();
    m_text += '{';
    m_open.push_back(false);
}

void CJsonWriter::EndObject() {
    m_text += '}';
    m_open.pop_back();
}

void CJsonWriter::BeginArray() {
    BeforeValue();
    m_text += '[';
    m_open.push_back(false);
}

void CJsonWriter::EndArray() {
    m_text += ']';
    m_open.pop_back();
}

void CJsonWriter::Key(const char* key) {
    BeforeValue();
    m_text += JsonString(key);
    m_text += ':';
    m_afterKey = true;
}

void CJsonWriter::String(const std::string& value) {
    BeforeValue();
    m_text += JsonString(value);
}

void CJsonWriter::Number(float value) {
    BeforeValue();
    m_text += JsonNumber(value);
}

void CJsonWriter::Integer(long long value) {
    BeforeValue();
    m_text += std::to_string(value);
}

void CJsonWriter::Bool(bool value) {
    BeforeValue();
    m_text += value ? "true" : "false";
}

void CJsonWriter::Numbers(const char* key, const float* values, size_t count) {
    Key(key);
    BeginArray();
    for (size_t i = 0; i < count; ++i)
        Number(values[i]);
    EndArray();
}
