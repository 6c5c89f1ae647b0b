// The JSON text of an exported glTF file, written as it goes: objects, arrays, keys and values,
// with the commas put in by the writer. Strings always come out as valid JSON of valid UTF-8,
// whatever bytes they are given (an entity, mesh or material name read from a file).
#pragma once

#include <string>
#include <vector>

// The quoted JSON string of `text`: quote, backslash and every control character escaped
// (\n, \t, ... or \u00XX), and each byte that does not belong to a valid UTF-8 sequence
// (a stray continuation byte, a cut or overlong sequence, a surrogate, a code point above
// U+10FFFF) replaced by U+FFFD.
std::string JsonString(const std::string& text);
// The shortest text that reads back as the same float; 0 for a value that is not finite (JSON
// has no infinities: callers check their values first).
std::string JsonNumber(float value);

class CJsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The key of the next value inside an object.
    void Key(const char* key);
    void String(const std::string& value);
    void Number(float value);
    void Integer(long long value);
    void Bool(bool value);
    // Shorthands for a key and its value.
    void Field(const char* key, const std::string& value) { Key(key), String(value); }
    void Field(const char* key, const char* value) { Key(key), String(value); }
    void FieldInt(const char* key, long long value) { Key(key), Integer(value); }
    void FieldNumber(const char* key, float value) { Key(key), Number(value); }
    // An array of numbers.
    void Numbers(const char* key, const float* values, size_t count);

    const std::string& Text() const { return m_text; }
    // True when every object and array begun was ended.
    bool Complete() const { return m_open.empty() && !m_text.empty(); }

private:
    // A comma before every value of an array and every key of an object but the first.
    void BeforeValue();

    std::string m_text;
    // One entry per open object or array: whether it holds an element yet.
    std::vector<bool> m_open;
    bool m_afterKey = false;
};
