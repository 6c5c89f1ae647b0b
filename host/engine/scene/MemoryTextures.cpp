// The encoded bytes of textures made in memory, by engine name.
#include "MemoryTextures.h"

#include <map>

namespace {

std::map<std::string, std::string>& Kept() {
    static std::map<std::string, std::string> kept;
    return kept;
}

} // namespace

void KeepTextureBytes(const std::string& name, const std::string& bytes) {
    Kept()[name] = bytes;
}

void ForgetTextureBytes(const std::string& name) {
    Kept().erase(name);
}

const std::string* ImportedTextureBytes(const std::string& name) {
    auto it = Kept().find(name);
    return it == Kept().end() ? nullptr : &it->second;
}
