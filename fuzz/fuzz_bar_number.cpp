// The transform bar's nine fields and which of them the user edited, each read as strtod reads
// a decimal number (the whole text, no cut) and held in single precision. Only edited fields
// count; a non-finite value or a zero scale is refused, never applied.
#include "FuzzCheck.h"
#include "NumberReference.h"
#include "TransformBarFields.h"

#include <array>
#include <cstdint>
#include <cstring>

using TransformBarFields::kFieldCount;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Ten parts separated by line feeds: what the nine fields hold, then which of them were
    // edited since the bar filled them (the first two bytes of the tenth part, bit i for
    // field i).
    std::array<std::string, kFieldCount + 1> parts;
    fuzz::SplitInput(std::string(reinterpret_cast<const char*>(data), size), '\n', parts);
    TransformBarFields::Texts texts;
    for (int i = 0; i < kFieldCount; ++i)
        texts[i] = parts[i];
    const std::string& mask = parts[kFieldCount];
    unsigned edited = 0;
    for (std::size_t i = 0; i < mask.size() && i < 2; ++i)
        edited |= static_cast<unsigned>(static_cast<unsigned char>(mask[i])) << (8 * i);

    const TransformBarFields::BarChanges changes = TransformBarFields::ReadChanges(texts, edited);
    for (int i = 0; i < kFieldCount; ++i) {
        const int group = i / 3;
        const unsigned bit = 1u << (i % 3);
        const bool applied = (changes.groups[group].mask & bit) != 0;
        const bool refused = (changes.refused & (1u << i)) != 0;
        if (!(edited & (1u << i))) {
            FUZZ_CHECK(!applied && !refused, "a field nobody edited was read back");
            continue;
        }
        FUZZ_CHECK(applied != refused, "an edited field is neither applied nor refused");
        const float value = TransformBarFields::ReadField(texts[i], group == 1);
        if (applied) {
            const float got = changes.groups[group].value[i % 3];
            FUZZ_CHECK(std::isfinite(got), "a non-finite value was applied");
            FUZZ_CHECK(group != 2 || got != 0.0f, "a zero scale was applied");
            FUZZ_CHECK(got == value, "the applied value is not the field's reading");
        } else {
            FUZZ_CHECK(!std::isfinite(value) || (group == 2 && value == 0.0f),
                       "a finite value was refused");
        }
        double reference = 0.0;
        if (group != 1 && fuzz::ReferenceDecimal(texts[i], reference)) {
            const float expected = static_cast<float>(reference);
            FUZZ_CHECK(std::memcmp(&expected, &value, sizeof value) == 0,
                       "the field's reading differs from strtod's at single precision");
        }
    }
    for (int group = 0; group < 3; ++group)
        FUZZ_CHECK(changes.groups[group].mask < 8, "a mask names a fourth component");

    // Whatever the bar shows of a finite transform is short and reads back finite.
    const Ogre::Vector3 some(changes.groups[0].value);
    const TransformBarFields::Texts shown =
        TransformBarFields::FormatWorld(some, changes.groups[1].value, changes.groups[2].value);
    for (const std::string& field : shown) {
        FUZZ_CHECK(std::isfinite(TransformBarFields::ReadField(field, false)),
                   "a shown value reads back as non-finite");
        FUZZ_CHECK(field[0] != '-' || field.find_first_not_of("-0.") != std::string::npos,
                   "a negative zero is shown");
    }
    return 0;
}
