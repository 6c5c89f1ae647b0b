#include "PanelText.h"
#include "Utf8Cut.h"

#include <OgreStringConverter.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace PanelText {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The "C" locale, made once: the numbers typed into the panel always use a point.
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

// Inserts a line feed at the double-byte offset `at` (see Cp936Offset), when the text is at
// least `at` double-byte units long.
void BreakAt(std::string& text, std::size_t at) {
    if (Cp936Length(text) < at)
        return;
    text.insert(Cp936Offset(text, at), 1, '\n');
}

} // namespace

bool IsNumericEditChar(int code) {
    return code == 8 || (code >= '0' && code <= '9') || code == '.' || code == '-';
}

bool IsNumericEditText(const std::string& text) {
    for (const char c : text) {
        if (c == 8 || !IsNumericEditChar(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

std::size_t CharBoundary(const std::string& text, std::size_t limit) {
    return utf8::CharStart(text.data(), text.size(), limit);
}

std::string CutText(const std::string& text, std::size_t limit) {
    return text.substr(0, CharBoundary(text, limit));
}

std::size_t Cp936Length(const std::string& text) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!utf8::IsContinuationByte(text[i]))
            units += static_cast<unsigned char>(text[i]) < 0x80 ? 1 : 2;
    }
    return units;
}

std::size_t Cp936Offset(const std::string& text, std::size_t units) {
    std::size_t counted = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (utf8::IsContinuationByte(text[i]))
            continue;
        const std::size_t width = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : 2;
        // A character that would end past the offset is where the offset falls: it starts
        // here, so nothing of it is split.
        if (counted + width > units)
            return i;
        counted += width;
    }
    return text.size();
}

double ParseNumber(const std::string& text) {
    // Find the longest prefix that the number grammar accepts, then convert exactly that.
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            end = j;
        }
    }
    const std::string number = text.substr(start, end - start);
    // strtod_l gives an infinity beyond the range and 0 or a subnormal below it, as atof.
    return strtod_l(number.c_str(), nullptr, CLocale());
}

EditValue ReadEdit(const std::string& text, int kind, float current) {
    double value = ParseNumber(CutText(text, kMaxValueBytes));
    // The typed number itself must be a float: 1e39 degrees is refused like 1e39 units.
    const bool typedFinite = std::isfinite(static_cast<float>(value));
    if (kind == 2)
        value *= static_cast<double>(kDegreesToRadians);
    EditValue result;
    result.value = static_cast<float>(value);
    if (!typedFinite || !std::isfinite(result.value) || (kind == 3 && result.value == 0.0f))
        result.verdict = EditVerdict::Refused;
    else if (result.value == current)
        result.verdict = EditVerdict::Unchanged;
    else
        result.verdict = EditVerdict::Apply;
    return result;
}

std::string FormatFixed(double value, int decimals) {
    char buffer[400]; // the longest double in fixed notation, with room for the decimals
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (!text.empty() && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string FormatValue(float value, int kind) {
    if (kind == 2)
        value *= kRadiansToDegrees;
    return FormatFixed(static_cast<double>(value), 3);
}

std::string MeshInfoText(const std::string& meshName, float height,
                         const std::vector<std::string>& materials) {
    std::string text = "Mesh文件:\n\n" + meshName;
    BreakAt(text, 36);
    BreakAt(text, 61);
    text += "\n\n高度:\n";
    text += Ogre::StringConverter::toString(height, 6, 0, ' ', std::ios::fmtflags(0));
    text += "\n";
    for (std::size_t i = 0; i < materials.size(); ++i) {
        text += "\n部件";
        text += Ogre::StringConverter::toString(static_cast<int>(i + 1));
        text += "材质:   ";
        text += materials[i];
    }
    return text;
}

} // namespace PanelText
