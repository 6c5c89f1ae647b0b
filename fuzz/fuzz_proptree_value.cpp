// The property tree's number rows: GetValue reads the row's text as a number when it has a
// digit and no letter or forbidden symbol, and answers false with 0 otherwise; a number
// beyond single (or double) precision is refused too. A value that is answered as read must be
// finite: the light page puts it into the engine light.
#include "FuzzCheck.h"
#include "NumberReference.h"
#include "PropertyTreeRules.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    float value = -1.0f;
    const bool read = proptree::ParseValue(text, value);
    double reference = 0.0;
    const bool hasReference =
        text.find('\0') == std::string::npos && fuzz::ReferenceDecimal(text, reference);
    if (!read) {
        FUZZ_CHECK(value == 0.0f, "a refused text left a value");
        // Only a text that is no number, or one beyond single precision, is refused.
        FUZZ_CHECK(!proptree::IsNumberText(text) || !hasReference ||
                       !std::isfinite(static_cast<float>(reference)),
                   "a number within range was refused");
        return 0;
    }
    // A number beyond the double range is never read (atof's infinity).
    FUZZ_CHECK(!hasReference || !std::isinf(reference), "a number beyond range was read");
    FUZZ_CHECK(std::isfinite(value), "a non-finite value was answered as read");
    FUZZ_CHECK(text.find_first_of("0123456789") != std::string::npos,
               "a text without digits was read");

    // Where the C library reads a plain decimal number from the same text, the row agrees
    // with it at single precision (atof stops at the first character that does not fit).
    if (hasReference && std::isfinite(static_cast<float>(reference)) && value != 0.0f) {
        const float expected = static_cast<float>(reference);
        FUZZ_CHECK(std::memcmp(&expected, &value, sizeof value) == 0,
                   "the row's number differs from atof's");
    }

    // The row shows what it read, and that text reads back as the same value.
    const std::string shown = proptree::FormatValue(value);
    float again = 0.0f;
    FUZZ_CHECK(proptree::ParseValue(shown, again), "the shown value does not read back");
    FUZZ_CHECK(std::isfinite(again), "the shown value reads back as non-finite");
    return 0;
}
