// The editor's own text scene format: statements of any kind, with numbers, names and bytes of
// any kind. A bad file is refused with "FILE:LINE: message" and leaves an empty scene; a good
// one builds a scene whose every value is finite.
#include "SceneCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CEditorScene& scene = fuzz::HeadlessScene();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (LoadSceneText(text, "fuzz.scene", scene, error)) {
        fuzz::CheckScene(scene);
    } else {
        FUZZ_CHECK(error.rfind("fuzz.scene:", 0) == 0, "an error without the file's name");
        FUZZ_CHECK(scene.GetEntityCount() == 0, "a refused file left entities");
    }
    return 0;
}
