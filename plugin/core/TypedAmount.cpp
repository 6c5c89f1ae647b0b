#include "TypedAmount.h"

#include <cmath>

bool CTypedAmount::Type(int code) {
    if (code == '-') {
        if (!m_text.empty() && m_text[0] == '-')
            m_text.erase(0, 1);
        else
            m_text.insert(0, 1, '-');
        return true;
    }
    if (!IsAmountKey(code) || m_text.size() >= kMaxLength)
        return false;
    if (code == '.' && m_text.find('.') != std::string::npos)
        return false;
    m_text.push_back(static_cast<char>(code));
    return true;
}

bool CTypedAmount::Backspace() {
    if (m_text.empty())
        return false;
    // The sign goes last: "-1" loses its digit first, then the sign.
    if (m_text.size() > 1 || m_text[0] != '-')
        m_text.pop_back();
    else
        m_text.clear();
    return true;
}

float CTypedAmount::Value(float fallback) const {
    double whole = 0.0, scale = 1.0;
    bool digits = false, fraction = false, negative = false;
    for (const char c : m_text) {
        if (c == '-') {
            negative = true;
        } else if (c == '.') {
            fraction = true;
        } else {
            digits = true;
            if (fraction) {
                scale /= 10.0;
                whole += (c - '0') * scale;
            } else {
                whole = whole * 10.0 + (c - '0');
            }
        }
    }
    if (!digits)
        return fallback;
    const float value = static_cast<float>(negative ? -whole : whole);
    return std::isfinite(value) ? value : fallback;
}
