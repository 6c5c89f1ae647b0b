// The side panel's value edits: text of any kind against an entity's component, for each kind
// (position, rotation in degrees, scale). The panel reads at most its first 62 bytes (never
// splitting a character), reads them as atof does, and compares at single precision; a value
// that is not finite, or a zero scale, never reaches an entity.
#include "FuzzCheck.h"
#include "NumberReference.h"
#include "PanelText.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    const int kind = 1 + data[0] % 3;
    float current = 0.0f;
    std::memcpy(&current, data + 1, sizeof current);
    const std::string text(reinterpret_cast<const char*>(data + 5), size - 5);

    const std::string cut = PanelText::CutText(text, PanelText::kMaxValueBytes);
    FUZZ_CHECK(cut.size() <= PanelText::kMaxValueBytes, "the cut is longer than its limit");
    FUZZ_CHECK(text.compare(0, cut.size(), cut) == 0, "the cut is not a prefix of the text");
    if (fuzz::IsValidUtf8(text))
        FUZZ_CHECK(fuzz::IsValidUtf8(cut), "the cut split a character");

    const double number = PanelText::ParseNumber(cut);
    double reference = 0.0;
    if (fuzz::ReferenceDecimal(cut, reference))
        FUZZ_CHECK(std::memcmp(&number, &reference, sizeof number) == 0,
                   "the number differs from the C library's reading");

    const PanelText::EditValue typed = PanelText::ReadEdit(text, kind, current);
    if (typed.verdict != PanelText::EditVerdict::Refused) {
        FUZZ_CHECK(std::isfinite(typed.value), "a non-finite value was accepted");
        FUZZ_CHECK(std::isfinite(static_cast<float>(number)),
                   "a number beyond single precision was accepted");
        FUZZ_CHECK(kind != 3 || typed.value != 0.0f, "a zero scale was accepted");
        FUZZ_CHECK((typed.verdict == PanelText::EditVerdict::Unchanged) == (typed.value == current),
                   "the verdict disagrees with the single-precision comparison");
    } else {
        FUZZ_CHECK(!std::isfinite(typed.value) || !std::isfinite(static_cast<float>(number)) ||
                       (kind == 3 && typed.value == 0.0f),
                   "a finite value was refused");
    }
    if (kind != 2)
        FUZZ_CHECK(typed.value == static_cast<float>(number) ||
                       (std::isnan(typed.value) && std::isnan(static_cast<float>(number))),
                   "the value is not the number at single precision");

    // What the panel shows must read back as a finite number.
    if (std::isfinite(typed.value)) {
        const std::string shown = PanelText::FormatValue(typed.value, kind);
        FUZZ_CHECK(!shown.empty() && shown.size() < 64, "the shown value is cut");
        FUZZ_CHECK(shown[0] != '-' || shown.find_first_not_of("-0.") != std::string::npos,
                   "a negative zero is shown");
    }
    return 0;
}
