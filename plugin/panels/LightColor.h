// The light page's rules that need no window: converting between the engine's diffuse colour
// and the colour row's reference, and writing the five number rows back to a light.
#pragma once

#include "ColorPickerLayout.h"

#include <OgreColourValue.h>

namespace Ogre {
class Light;
}

namespace lightcolor {

// Engine to row: each of red, green and blue times 255, truncated toward zero, low 8 bits;
// alpha is dropped. A component that is not finite counts as 0.
colorpick::ColorRef ToColorRef(const Ogre::ColourValue& colour);
// Row to engine: each byte / 255, alpha 1.
Ogre::ColourValue FromColorRef(colorpick::ColorRef color);

// The number rows in row order.
enum class ENumber { PowerScale, Range, Constant, Linear, Quadratic };
constexpr int kNumberCount = 5;

// The light's value shown by a row.
float ReadNumber(const Ogre::Light& light, ENumber which);
// Writes one row's value: the power scale, or one of the four attenuation values with the
// other three read from the light just before, so that the step changes that value alone.
// A value that is not finite is not written (answers false); negative values are written as
// they are.
bool WriteNumber(Ogre::Light& light, ENumber which, float value);

} // namespace lightcolor
