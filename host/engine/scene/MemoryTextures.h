// Textures that exist only in memory (an import decoded them from a model file): their encoded
// bytes by engine name, kept so that saving a scene can write them out beside it.
#pragma once

#include <string>

// Keeps the bytes of the texture `name` (replacing any kept before).
void KeepTextureBytes(const std::string& name, const std::string& bytes);
// Drops the bytes of the texture `name`, when kept.
void ForgetTextureBytes(const std::string& name);
// The kept bytes of the texture `name`, null for any other texture.
const std::string* ImportedTextureBytes(const std::string& name);
