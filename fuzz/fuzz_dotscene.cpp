// Ogre scene files (XML): documents of any kind. A document the reader accepts passes its own
// check, builds a scene whose every value is finite, and saves to a file that reads back; one
// it refuses gives "FILE:LINE: message" and no document.
#include "SceneCheck.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CEditorScene& scene = fuzz::HeadlessScene();
    const std::string text(reinterpret_cast<const char*>(data), size);
    DotSceneDocument doc;
    std::string error;
    if (!ParseDotScene(text, "fuzz.scene", doc, error)) {
        FUZZ_CHECK(error.rfind("fuzz.scene", 0) == 0, "an error without the file's name");
        FUZZ_CHECK(doc.nodes.empty(), "a refused file left a document");
        return 0;
    }
    FUZZ_CHECK(ValidateDotScene(doc, "fuzz.scene", error), error.c_str());
    std::vector<std::string> warnings = doc.warnings;
    FUZZ_CHECK(BuildDotScene(doc, "", "fuzz.scene", scene, warnings, error), error.c_str());
    FUZZ_CHECK(scene.GetEntityCount() <= int(doc.nodes.size()), "the scene grew entities");
    fuzz::CheckScene(scene);
    return 0;
}
