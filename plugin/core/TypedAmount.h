// The exact amount a person types while holding a gizmo part: digits, one decimal point and a
// sign, edited one key at a time. "-" turns the sign over wherever it is typed; Backspace takes
// the last character back (the sign last of all). The text is read without the locale, so a
// point is always the decimal point.
#pragma once

#include <string>

class CTypedAmount {
public:
    // The longest text taken: more digits than a float holds change nothing.
    static constexpr std::size_t kMaxLength = 12;

    // One typed character ('0'..'9', '-', '.'); false when it is none of them or changes
    // nothing (a second point, a text already full).
    bool Type(int code);
    // False when there was nothing to take back.
    bool Backspace();
    void Clear() { m_text.clear(); }

    // A typed amount stands (it replaces the pointer) while the text is not empty.
    bool IsActive() const { return !m_text.empty(); }
    const std::string& Text() const { return m_text; }
    // The amount the text stands for; `fallback` while it holds no digit yet ("-", ".").
    float Value(float fallback) const;

    static bool IsAmountKey(int code) {
        return (code >= '0' && code <= '9') || code == '-' || code == '.';
    }

private:
    std::string m_text;
};
