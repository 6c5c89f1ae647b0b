#include "PropertyTreeRules.h"
#include "Utf8Cut.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace proptree {

EHit HitTestRow(bool found, const SRect& row, bool isCategory, bool hasChildren, int column, int x,
                int y) {
    if (!found)
        return EHit::Nothing;
    if (!isCategory && x >= column - kDividerSlop && x <= column + kDividerSlop)
        return EHit::Divider;
    if (x > column + kDividerSlop)
        return EHit::Value;
    if (hasChildren && ExpandBoxRect(row.x, row.y).Contains(x, y))
        return EHit::ExpandBox;
    return EHit::Label;
}

SRect ExpandBoxRect(int rowLeft, int rowTop) {
    return SRect{rowLeft + kBoxLeft, rowTop + kBoxTop, kBoxSize, kBoxSize};
}

int ClampSetColumn(int x, int clientWidth) {
    if (clientWidth > 0)
        x = std::min(x, clientWidth - kColumnMinSet);
    return std::max(x, kColumnMinSet);
}

int ClampDragColumn(int x, int paneWidth) {
    x = std::min(x, paneWidth - kColumnMaxDrag);
    return std::max(x, kColumnMinDrag);
}

int FitColumn(int rightmostLabel, int paneWidth) {
    const int x = std::min(rightmostLabel + kDividerSlop, paneWidth - kColumnMaxDrag);
    return std::max(x, kColumnMinSet);
}

int ScrollMax(int contentHeight, int paneHeight) {
    return std::max(0, contentHeight - (paneHeight + 1));
}

int ClampScroll(int origin, int contentHeight, int paneHeight) {
    return std::clamp(origin, 0, ScrollMax(contentHeight, paneHeight));
}

int ScrollToShow(int origin, int top, int height, int paneHeight, int contentHeight) {
    if (top + height > origin + paneHeight)
        origin = top + height - paneHeight;
    if (top < origin)
        origin = top;
    return ClampScroll(origin, contentHeight, paneHeight);
}

std::string FormatValue(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::fixed, 5);
    if (result.ec != std::errc())
        return "0.00000"; // only for values beyond any buffer: none in single precision
    return std::string(buffer, result.ptr);
}

bool IsNumberText(const std::string& text) {
    static const char* const kForbidden =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ`~[]{}_=+\\|'/?>,<";
    return text.find_first_of("1234567890") != std::string::npos &&
           text.find_first_of(kForbidden) == std::string::npos;
}

namespace {
// True when a non-zero digit stands before the decimal point in [p, end).
bool HasWholeDigit(const char* p, const char* end) {
    for (; p < end && *p != '.'; ++p) {
        if (*p >= '1' && *p <= '9')
            return true;
    }
    return false;
}
} // namespace

bool ParseValue(const std::string& text, float& value) {
    value = 0.0f;
    if (!IsNumberText(text))
        return false;
    const char* p = text.c_str();
    const char* end = p + text.size();
    while (p < end &&
           (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f'))
        ++p;
    double number = 0.0;
    // The letter rule above already refuses exponents, infinities and hex forms.
    const auto result = std::from_chars(p, end, number, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the double range: too large is no number; too small (nothing but zeros
        // before the first other digit, far behind the point) reads as 0, as atof reads it.
        return !HasWholeDigit(p, result.ptr);
    }
    if (result.ec == std::errc()) {
        // Forty digits are beyond single precision: such a text is no number a row can hold.
        if (!std::isfinite(static_cast<float>(number)))
            return false;
        value = static_cast<float>(number);
    }
    return true;
}

bool IsTypedText(unsigned flags, const std::string& text) {
    if (!(flags & (kEditReal | kEditWhole)))
        return true;
    for (const char c : text) {
        // Backspace is a key, never part of a text.
        if (c == '\b' || !EditCharAllowed(flags, static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

bool EditCharAllowed(unsigned flags, std::uint32_t ch) {
    const bool digit = ch >= '0' && ch <= '9';
    if (flags & kEditReal)
        return ch == '\b' || digit || ch == '.' || ch == '-';
    if (flags & kEditWhole)
        return ch == '\b' || digit;
    return true;
}

std::string FormatColor(std::uint32_t colorRef, unsigned flags) {
    char buffer[40];
    if (flags & kColorHex)
        std::snprintf(buffer, sizeof buffer, "#%.6X", colorRef);
    else
        std::snprintf(buffer, sizeof buffer, "RGB (%d, %d, %d)", int(colorRef & 0xFF),
                      int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
    return buffer;
}

std::size_t Utf8Length(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return !utf8::IsContinuationByte(c); }));
}

std::string PasswordMask(const std::string& text) {
    return std::string(Utf8Length(text), '*');
}

std::size_t Utf8CharStart(const std::string& text, std::size_t offset) {
    return utf8::CharStart(text.data(), text.size(), offset);
}

bool HasVisibleText(const std::string& text) {
    return text.find_first_not_of(' ') != std::string::npos;
}

} // namespace proptree
