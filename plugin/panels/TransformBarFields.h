// The transform bar's text rules, free of the toolkit: the order of its nine value fields, how
// world values are shown in them, how typed text is read back, and which fields the user
// changed. The bar and the plug-in apply them; the tests check them headless.
#pragma once

#include "PanelText.h"

#include <OgreVector.h>

#include <array>
#include <string>

namespace TransformBarFields {

// The value fields in reading order: world position X, Y, Z, rotation X, Y, Z (degrees),
// scale X, Y, Z. Field i belongs to group i / 3 (0 position, 1 rotation, 2 scale) and names
// component i % 3.
constexpr int kFieldCount = 9;
constexpr std::array<int, kFieldCount> kFieldIds = {1030, 1031, 1032, 1004, 1005,
                                                    1006, 1007, 1008, 1009};
// The static text that shows the entity's name.
constexpr int kNameId = 1033;

// Radians to degrees for showing, degrees to radians for reading: the host interface's pair,
// as the side panel uses it.
using ::kDegreesToRadians;
using ::kRadiansToDegrees;

using Texts = std::array<std::string, kFieldCount>;

// "%.2f" of one value, never a negative zero.
std::string FormatField(float value);

// The nine texts of an entity's world position, orientation (radians, shown in degrees) and
// scale.
Texts FormatWorld(const Ogre::Vector3& position, const Ogre::Vector3& orientation,
                  const Ogre::Vector3& scale);

// A field's text as a number, read as strtod reads a decimal number (white space, sign,
// digits, point and fraction, exponent; it stops at the first character that does not fit;
// no number reads as 0) and held in single precision. A rotation field (degrees) is turned
// into radians with the single-precision factor. The result may be an infinity when the text
// is beyond the single-precision range.
float ReadField(const std::string& text, bool degrees);

// What one group of three fields asks for: the components that were edited (bit 0 X, bit 1
// Y, bit 2 Z) and their values (radians for the rotation group). Unnamed components are 0.
struct GroupChange {
    unsigned mask = 0;
    Ogre::Vector3 value = Ogre::Vector3::ZERO;
};

struct BarChanges {
    // Position, rotation, scale: kinds 1, 2 and 3.
    std::array<GroupChange, 3> groups;
    // Fields whose edited text was refused (bit i for field i): a value that is not finite
    // at single precision, or a zero scale. They take no part in the groups.
    unsigned refused = 0;

    bool Any() const { return groups[0].mask || groups[1].mask || groups[2].mask; }
};

// Reads the fields the user edited since the bar last filled them (bit i of `edited` for field
// i), whatever they hold, even the text that was shown. A field nobody edited is never read
// back, so pressing Enter without typing changes nothing and the two-decimal texts never round
// an entity.
BarChanges ReadChanges(const Texts& texts, unsigned edited);

} // namespace TransformBarFields
