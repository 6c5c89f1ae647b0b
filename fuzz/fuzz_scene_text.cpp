// The editor's own text scene format: statements of any kind, with numbers, names and bytes of
// any kind. A bad file is refused with "FILE:LINE: message" and leaves the scene as it was; a
// good one builds a scene whose every value is finite.
#include "SceneCheck.h"
#include "TextScene.h"

#include <cstdint>
#include <utility>
#include <vector>
#include <cstdlib>
#include <sstream>

namespace {

// A ground of 65 to 1024 cells a side is valid but costs up to a million vertices: such
// inputs are skipped so that the run reaches the rest of the format (64 cells and every
// count the loader refuses still run).
bool CostlyGround(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string op, w, d, a, cells, extra;
        if (!(words >> op) || op != "ground" || !(words >> w >> d >> a >> cells) ||
            (words >> extra))
            continue;
        const double count = std::strtod(cells.c_str(), nullptr);
        if (count > 64 && count <= 1024)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CEditorScene& scene = fuzz::HeadlessScene();
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (CostlyGround(text))
        return 0;
    std::string error;
    // What the scene holds before: a refused file must leave it so.
    std::vector<std::pair<std::string, Ogre::Vector3>> before;
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
        before.emplace_back(e->GetName(), e->GetWorldPosition());
    if (LoadSceneText(text, "fuzz.scene", scene, error)) {
        fuzz::CheckScene(scene);
    } else {
        FUZZ_CHECK(error.rfind("fuzz.scene:", 0) == 0, "an error without the file's name");
        std::vector<std::pair<std::string, Ogre::Vector3>> after;
        for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
            after.emplace_back(e->GetName(), e->GetWorldPosition());
        FUZZ_CHECK(after == before, "a refused file changed the scene");
    }
    return 0;
}
