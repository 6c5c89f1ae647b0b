// The light page's conversions and write-back on a real engine light, without windows.
#include "LightColor.h"

#include <OgreLight.h>

#include <gtest/gtest.h>

#include <limits>

using lightcolor::ENumber;
using lightcolor::FromColorRef;
using lightcolor::ToColorRef;

TEST(LightColor, EngineToRowTruncatesAndKeepsTheLowByte) {
    // 0.5 x 255 = 127.5 truncates to 127; alpha is dropped.
    EXPECT_EQ(ToColorRef(Ogre::ColourValue(1.0f, 0.5f, 0.0f, 0.25f)), 0x00007FFFu);
    // Just under a step stays on the lower byte.
    EXPECT_EQ(ToColorRef(Ogre::ColourValue(0.999f, 0.0039f, 0.00392f)), 0x000000FEu);
    // Out of range: 2 x 255 = 510 keeps its low byte 0xFE; -0.5 x 255 = -127.5 truncates
    // toward zero to -127, whose low byte is 0x81.
    EXPECT_EQ(ToColorRef(Ogre::ColourValue(2.0f, -0.5f, 0.0f)), 0x000081FEu);
    // A huge or not finite component gives a byte without undefined behaviour.
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(ToColorRef(Ogre::ColourValue(nan, inf, 1e30f)) & 0xFFFFu, 0u);
    EXPECT_LE(ToColorRef(Ogre::ColourValue(1e30f, 0, 0)), 0xFFu);
}

TEST(LightColor, RowToEngineDividesEachByteWithAlphaOne) {
    EXPECT_EQ(FromColorRef(0x00FF0000u), Ogre::ColourValue(0, 0, 1, 1));
    const Ogre::ColourValue c = FromColorRef(0x12345678u); // the high byte is ignored
    EXPECT_FLOAT_EQ(c.r, 0x78 / 255.0f);
    EXPECT_FLOAT_EQ(c.g, 0x56 / 255.0f);
    EXPECT_FLOAT_EQ(c.b, 0x34 / 255.0f);
    EXPECT_EQ(c.a, 1.0f);
    // Every byte survives the way there and back.
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(ToColorRef(FromColorRef(colorpick::MakeColorRef(v, 255 - v, v))),
                  colorpick::MakeColorRef(v, 255 - v, v))
            << v;
}

TEST(LightColor, EachNumberStepWritesOneValueAndKeepsTheOthers) {
    Ogre::Light light("lamp");
    light.setAttenuation(60.0f, 1.0f, 0.02f, 0.001f);
    light.setPowerScale(1.0f);
    EXPECT_TRUE(lightcolor::WriteNumber(light, ENumber::Range, 200.0f));
    EXPECT_TRUE(lightcolor::WriteNumber(light, ENumber::Linear, 0.0f));
    EXPECT_TRUE(lightcolor::WriteNumber(light, ENumber::PowerScale, -2.0f)); // as typed
    EXPECT_EQ(light.getAttenuationRange(), 200.0f);
    EXPECT_EQ(light.getAttenuationConstant(), 1.0f);
    EXPECT_EQ(light.getAttenuationLinear(), 0.0f);
    EXPECT_EQ(light.getAttenuationQuadric(), 0.001f);
    EXPECT_EQ(light.getPowerScale(), -2.0f);
    EXPECT_TRUE(lightcolor::WriteNumber(light, ENumber::Quadratic, 0.5f));
    EXPECT_TRUE(lightcolor::WriteNumber(light, ENumber::Constant, 3.0f));
    EXPECT_EQ(lightcolor::ReadNumber(light, ENumber::Constant), 3.0f);
    EXPECT_EQ(lightcolor::ReadNumber(light, ENumber::Quadratic), 0.5f);
    EXPECT_EQ(lightcolor::ReadNumber(light, ENumber::Range), 200.0f);
}

TEST(LightColor, ANumberThatIsNotFiniteNeverReachesTheLight) {
    Ogre::Light light("lamp");
    light.setAttenuation(60.0f, 1.0f, 0.02f, 0.0f);
    light.setPowerScale(1.5f);
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(lightcolor::WriteNumber(light, ENumber::Range, inf));
    EXPECT_FALSE(lightcolor::WriteNumber(light, ENumber::PowerScale,
                                         std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(light.getAttenuationRange(), 60.0f);
    EXPECT_EQ(light.getPowerScale(), 1.5f);
}
