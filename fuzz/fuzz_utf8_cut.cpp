// The cuts at a byte limit that must never split a UTF-8 character: the side panel's value
// and name edits, the line breaks of the mesh information text (at offsets counted in the
// double-byte code page) and the property tree's offset rule. From valid UTF-8 each gives valid
// UTF-8, no longer than its limit, and a prefix of the text. (The string table's cut, LoadText,
// lives in the plug-in object: fuzz_script checks it.)
#include "FuzzCheck.h"
#include "PanelText.h"
#include "PropertyTreeRules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void CheckCut(const std::string& text, std::size_t limit, bool valid) {
    const std::size_t at = PanelText::CharBoundary(text, limit);
    const std::string cut = PanelText::CutText(text, limit);
    FUZZ_CHECK(cut.size() == at, "CutText and CharBoundary disagree");
    FUZZ_CHECK(cut.size() <= limit, "the cut is longer than its limit");
    FUZZ_CHECK(text.compare(0, cut.size(), cut) == 0, "the cut is not a prefix");
    FUZZ_CHECK(limit < text.size() || cut == text, "a text within its limit was cut");
    if (valid) {
        FUZZ_CHECK(fuzz::IsValidUtf8(cut), "the cut split a character");
        // Nothing longer would have done: the next character does not fit.
        FUZZ_CHECK(cut.size() == text.size() || limit - cut.size() < 4,
                   "the cut dropped more than one character");
    }
    // The property tree moves an offset back the same way.
    const std::size_t start = proptree::Utf8CharStart(text, limit);
    FUZZ_CHECK(start == std::min(at, text.size()) || limit >= text.size(),
               "the two offset rules disagree");
}

std::string WithoutLineFeeds(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t limit = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool valid = fuzz::IsValidUtf8(text);

    CheckCut(text, limit, valid);
    CheckCut(text, PanelText::kMaxValueBytes, valid);
    CheckCut(text, PanelText::kMaxNameBytes, valid);

    // The double-byte offset rule of the mesh text's line breaks: the offset lands on a
    // character start, at most one unit before the one asked for.
    {
        const std::size_t at = PanelText::Cp936Offset(text, limit);
        const std::string head = text.substr(0, at);
        const std::size_t units = PanelText::Cp936Length(head);
        FUZZ_CHECK(at <= text.size(), "the double-byte offset left the text");
        FUZZ_CHECK(units <= limit, "the double-byte offset passed its limit");
        FUZZ_CHECK(at == text.size() || limit - units < 2,
                   "the double-byte offset dropped more than one character");
        if (valid)
            FUZZ_CHECK(fuzz::IsValidUtf8(head), "the double-byte offset split a character");
    }

    // The mesh information text: the name with line breaks moved to character starts, the
    // height and one line per material (the rest of the text, split at NUL bytes).
    const std::size_t nameEnd = std::min(text.find('\0'), text.size());
    const std::string name = text.substr(0, nameEnd);
    std::vector<std::string> materials;
    for (std::size_t from = nameEnd + 1; from <= text.size() && materials.size() < 8;) {
        const std::size_t end = std::min(text.find('\0', from), text.size());
        materials.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    float height = 0.0f;
    if (size >= 5)
        std::memcpy(&height, data + 1, sizeof height);
    const std::string info = PanelText::MeshInfoText(name, height, materials);
    if (fuzz::IsValidUtf8(name)) {
        bool materialsValid = true;
        for (const std::string& m : materials)
            materialsValid = materialsValid && fuzz::IsValidUtf8(m);
        if (materialsValid)
            FUZZ_CHECK(fuzz::IsValidUtf8(info), "the mesh text split a character");
    }
    FUZZ_CHECK(WithoutLineFeeds(info).rfind("Mesh文件:" + WithoutLineFeeds(name), 0) == 0,
               "the mesh text lost part of the name");

    // One "*" per character for a password row.
    FUZZ_CHECK(proptree::PasswordMask(text).size() == proptree::Utf8Length(text),
               "the mask is not one star per character");
    return 0;
}
