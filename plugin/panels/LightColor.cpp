#include "LightColor.h"

#include <OgreLight.h>

#include <cmath>

namespace lightcolor {

namespace {

// The low 8 bits of the component times 255, truncated toward zero. Computed on the exact
// product (a float times 255 fits a double) so that out-of-range values wrap like the
// integer conversion would, without the undefined behaviour of converting huge values.
int Byte(float component) {
    const double scaled = std::trunc(static_cast<double>(component) * 255.0);
    if (!std::isfinite(scaled))
        return 0;
    double low = std::fmod(scaled, 256.0);
    if (low < 0.0)
        low += 256.0;
    return static_cast<int>(low);
}

} // namespace

colorpick::ColorRef ToColorRef(const Ogre::ColourValue& colour) {
    return colorpick::MakeColorRef(Byte(colour.r), Byte(colour.g), Byte(colour.b));
}

Ogre::ColourValue FromColorRef(colorpick::ColorRef color) {
    return Ogre::ColourValue(static_cast<float>(colorpick::RedOf(color)) / 255.0f,
                             static_cast<float>(colorpick::GreenOf(color)) / 255.0f,
                             static_cast<float>(colorpick::BlueOf(color)) / 255.0f, 1.0f);
}

float ReadNumber(const Ogre::Light& light, ENumber which) {
    switch (which) {
    case ENumber::PowerScale:
        return light.getPowerScale();
    case ENumber::Range:
        return light.getAttenuationRange();
    case ENumber::Constant:
        return light.getAttenuationConstant();
    case ENumber::Linear:
        return light.getAttenuationLinear();
    case ENumber::Quadratic:
        return light.getAttenuationQuadric();
    }
    return 0.0f;
}

bool WriteNumber(Ogre::Light& light, ENumber which, float value) {
    if (!std::isfinite(value))
        return false;
    if (which == ENumber::PowerScale) {
        light.setPowerScale(value);
        return true;
    }
    float range = light.getAttenuationRange();
    float constant = light.getAttenuationConstant();
    float linear = light.getAttenuationLinear();
    float quadratic = light.getAttenuationQuadric();
    switch (which) {
    case ENumber::Range:
        range = value;
        break;
    case ENumber::Constant:
        constant = value;
        break;
    case ENumber::Linear:
        linear = value;
        break;
    default:
        quadratic = value;
        break;
    }
    light.setAttenuation(range, constant, linear, quadratic);
    return true;
}

} // namespace lightcolor
