// Reading the editor's own scene text format (TextScene.h).
#include "TextScene.h"

#include "CaughtFailure.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DemoScene.h"
#include "DotScene.h"
#include "DotSceneText.h"
#include "SceneFolderFiles.h"

#include <OgreLight.h>
#include <OgreMath.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <sstream>
#include <vector>

namespace {

Ogre::Vector3 Degrees(float x, float y, float z) {
    return Ogre::Vector3(Ogre::Math::DegreesToRadians(x), Ogre::Math::DegreesToRadians(y),
                         Ogre::Math::DegreesToRadians(z));
}

bool ParseFloat(const std::string& word, float& out) {
    if (word.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const float v = std::strtof(word.c_str(), &end);
    if (errno != 0 || end != word.c_str() + word.size() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool ParseFloats(const std::vector<std::string>& words, size_t first, size_t count, float* out) {
    for (size_t i = 0; i < count; ++i)
        if (!ParseFloat(words[first + i], out[i]))
            return false;
    return true;
}

// Reads the text into `scene` (a scene built aside); false with `error` at the first fault.
bool ReadSceneText(const std::string& text, const std::string& fileName, CEditorScene& scene,
                   std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& message) {
        error = fileName + ":" + std::to_string(lineNumber) + ": " + message;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        for (unsigned char ch : line)
            if (ch < 0x20 && ch != '\t' && ch != '\r')
                return fail("not a text file");
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty() || w[0][0] == '#')
            continue;
        const std::string& op = w[0];
        // Names (and mesh names) end up in saved scene XML: valid UTF-8 without controls.
        for (size_t i = 1; i < w.size() && i < 4 && (op == "mesh" || op == "light"); ++i)
            if (!IsValidSceneName(w[i]))
                return fail("the name '" + PrintableSceneName(w[i]) +
                            "' is not valid UTF-8 or holds a control character");
        if ((op == "mesh" || op == "light") && w.size() > 1 && !SceneNameFault(w[1]).empty())
            return fail(SceneNameFault(w[1]));
        if (op == "ground") {
            float v[3];
            float cells = 64;
            if ((w.size() != 4 && w.size() != 5) || !ParseFloats(w, 1, 3, v) ||
                (w.size() == 5 && !ParseFloat(w[4], cells)))
                return fail("expected: ground WIDTH DEPTH AMPLITUDE [CELLS]");
            // A count beyond an int has no int value: refuse it before converting.
            if (cells != std::floor(cells) || !(cells >= 1 && cells <= 1024) ||
                !scene.SetGround(v[0], v[1], v[2], int(cells)))
                return fail("bad ground size");
        } else if (op == "mesh") {
            float v[9];
            if (w.size() != 13 || !ParseFloats(w, 4, 9, v))
                return fail("expected: mesh NAME MESH PARENT PX PY PZ RX RY RZ SX SY SZ");
            if (scene.GetEntity(w[1]))
                return fail("duplicate entity name '" + w[1] + "'");
            const std::string parent = w[3] == "-" ? std::string() : w[3];
            if (!parent.empty() && !scene.GetEntity(parent))
                return fail("unknown parent '" + parent + "'");
            if (!scene.AddMesh(w[1], w[2], parent, Ogre::Vector3(v[0], v[1], v[2]),
                               Degrees(v[3], v[4], v[5]), Ogre::Vector3(v[6], v[7], v[8])))
                return fail("cannot create mesh entity '" + w[1] +
                            "' (unknown mesh, zero scale, or out of the world range)");
        } else if (op == "light") {
            float v[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
            if ((w.size() != 9 && w.size() != 12) || !ParseFloats(w, 3, w.size() - 3, v))
                return fail("expected: light NAME point|spot PX PY PZ R G B [RX RY RZ]");
            if (w[2] != "point" && w[2] != "spot")
                return fail("light type must be point or spot");
            if (scene.GetEntity(w[1]))
                return fail("duplicate entity name '" + w[1] + "'");
            CEditorEntity* light = scene.AddLight(
                w[1], w[2] == "spot" ? Ogre::Light::LT_SPOTLIGHT : Ogre::Light::LT_POINT,
                Ogre::Vector3(v[0], v[1], v[2]), Ogre::ColourValue(v[3], v[4], v[5]));
            if (!light)
                return fail("cannot create light '" + w[1] + "' (out of the world range)");
            light->SetOrientation(Degrees(v[6], v[7], v[8]));
        } else if (op == "state") {
            if (w.size() != 3)
                return fail("expected: state NAME BITS");
            CEditorEntity* e = scene.GetEntity(w[1]);
            if (!e)
                return fail("unknown entity '" + w[1] + "'");
            errno = 0;
            char* end = nullptr;
            const unsigned long bits = std::strtoul(w[2].c_str(), &end, 0);
            if (errno != 0 || end != w[2].c_str() + w[2].size() || w[2][0] == '-' ||
                bits > 0xFFFFFFFFul)
                return fail("bad state bits '" + w[2] + "'");
            e->AddState(static_cast<std::uint32_t>(bits));
        } else if (op == "lock") {
            if (w.size() != 2)
                return fail("expected: lock NAME");
            CEditorEntity* e = scene.GetEntity(w[1]);
            if (!e)
                return fail("unknown entity '" + w[1] + "'");
            e->SetTransformEnabled(false);
        } else {
            return fail("unknown statement '" + op + "'");
        }
    }
    return true;
}

} // namespace

std::unique_ptr<CEditorScene> BuildSceneTextAside(const std::string& text,
                                                  const std::string& fileName,
                                                  Ogre::SceneManager* sceneManager,
                                                  std::string& error) {
    try {
        EnsureDemoMeshes();
        EnsureSceneSun(sceneManager);
        auto scene = std::make_unique<CEditorScene>(sceneManager, false);
        if (!ReadSceneText(text, fileName, *scene, error))
            return nullptr;
        return scene;
    } catch (...) {
        error = CaughtFailure(fileName, "reading the scene", "open the scene");
    }
    return nullptr;
}

std::unique_ptr<CEditorScene>
ReadSceneTextFile(const std::string& path, Ogre::SceneManager* sceneManager, std::string& error) {
    // Read without blocking and only when it is a regular file: a FIFO or device is refused
    // at once.
    std::string content;
    try {
        const std::string why = ReadRegularFile(path, kMaxSceneFileBytes, content);
        if (!why.empty()) {
            error =
                path + (why == "not a regular file" ? ": not a regular file"
                        : why == "cannot be found"  ? ": cannot open the scene file"
                                                    : ": cannot read the scene file (" + why + ")");
            return nullptr;
        }
    } catch (const std::bad_alloc&) {
        error = path + ": out of memory while reading the scene";
        return nullptr;
    }
    return BuildSceneTextAside(content, path, sceneManager, error);
}

bool LoadSceneText(const std::string& text, const std::string& fileName, CEditorScene& target,
                   std::string& error) {
    // Built aside: the target scene changes only when the whole text is read.
    std::unique_ptr<CEditorScene> scene =
        BuildSceneTextAside(text, fileName, target.GetOgreSceneManager(), error);
    if (!scene)
        return false;
    target.TakeContent(*scene);
    return true;
}

bool LoadSceneFile(const std::string& path, CEditorScene& target, std::string& error) {
    std::unique_ptr<CEditorScene> scene =
        ReadSceneTextFile(path, target.GetOgreSceneManager(), error);
    if (!scene)
        return false;
    target.TakeContent(*scene);
    return true;
}
