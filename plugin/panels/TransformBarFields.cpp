#include "TransformBarFields.h"

#include <cmath>

namespace TransformBarFields {

std::string FormatField(float value) {
    return PanelText::FormatFixed(static_cast<double>(value), 2);
}

Texts FormatWorld(const Ogre::Vector3& position, const Ogre::Vector3& orientation,
                  const Ogre::Vector3& scale) {
    Texts texts;
    for (int i = 0; i < 3; ++i) {
        texts[i] = FormatField(position[i]);
        // Single-precision product, as the value is shown in degrees.
        texts[3 + i] = FormatField(orientation[i] * kRadiansToDegrees);
        texts[6 + i] = FormatField(scale[i]);
    }
    return texts;
}

float ReadField(const std::string& text, bool degrees) {
    // The same number grammar as the side panel's edits; the bar reads the whole text.
    const float value = static_cast<float>(PanelText::ParseNumber(text));
    return degrees ? value * kDegreesToRadians : value;
}

BarChanges ReadChanges(const Texts& texts, unsigned edited) {
    BarChanges changes;
    for (int i = 0; i < kFieldCount; ++i) {
        if (!(edited & (1u << i)))
            continue;
        const int group = i / 3;
        const int component = i % 3;
        const float value = ReadField(texts[i], group == 1);
        // A zero scale would flatten the entity: the host keeps its scale, and so do we.
        if (!std::isfinite(value) || (group == 2 && value == 0.0f)) {
            changes.refused |= 1u << i;
            continue;
        }
        changes.groups[group].mask |= 1u << component;
        changes.groups[group].value[component] = value;
    }
    return changes;
}

} // namespace TransformBarFields
