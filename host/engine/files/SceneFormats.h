// The scene file formats the editor opens and saves, found by a lookup instead of by tests at
// each place that opens a file: a format says which files it claims (from their first bytes,
// as a codec claims images by their magic number), reads one into a scene built aside, and
// writes one (formats the editor only reads have no writer).
//
// Both of the editor's formats use the extension ".scene": Ogre scene XML (read and written;
// the default) and the editor's own text format (TextScene.h, read only). A file no format
// claims, or one that cannot be read at all (missing, a folder, a FIFO), goes to the default
// format, whose reader says why it cannot be read.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CEditorScene;
namespace Ogre {
class SceneManager;
}

struct SceneFormat {
    // Reads the file at `path` into a new scene of `sceneManager`, kept out of its scene graph
    // until a scene takes its content (CEditorScene::TakeContent). Null with `error` =
    // "PATH: message" (or "PATH:LINE: message") when the file is not readable; `warnings` gets
    // what a readable file could not give.
    using Reader = std::function<std::unique_ptr<CEditorScene>(
        const std::string& path, Ogre::SceneManager* sceneManager,
        std::vector<std::string>& warnings, std::string& error)>;
    // Writes the scene to `path`; false with `error` when it could not; `warnings` gets the
    // files not written along.
    using Writer = std::function<bool(const std::string& path, CEditorScene& scene,
                                      std::vector<std::string>& warnings, std::string& error)>;

    std::string name;      // how messages and tests name it
    std::string extension; // with its dot: ".scene"
    // Whether a file that starts with `head` (its first bytes, a UTF-8 byte-order mark taken
    // off) is of this format.
    std::function<bool(const std::string& head)> claims;
    Reader read;
    Writer write; // empty for a format the editor reads only
};

// How many bytes of a file the formats are shown to claim it.
constexpr std::size_t kSceneFileHeadBytes = 256;

// The first bytes of the regular file at `path` (a byte-order mark taken off) in `head`; false
// when it cannot be read or is not a regular file. Opened without blocking: a FIFO or device
// is refused at once.
bool ReadSceneFileHead(const std::string& path, std::string& head);

class CSceneFormatRegistry {
public:
    // Adds a format; formats are asked in the order they were added. The first one added is
    // the default: it must have a reader and a writer.
    void Register(SceneFormat format);

    // The first format that claims the file at `path`; null when none does or the file cannot
    // be read.
    const SceneFormat* ClaimedBy(const std::string& path) const;
    // The format that opens the file at `path`: the one that claims it, else the default.
    const SceneFormat& ForOpening(const std::string& path) const;
    // The format that saves to `path`: the first with a writer for the path's extension
    // (compared without regard to ASCII case), else the default.
    const SceneFormat& ForSaving(const std::string& path) const;

    const std::vector<SceneFormat>& Formats() const { return m_formats; }

private:
    std::vector<SceneFormat> m_formats;
};

// The editor's formats: Ogre scene XML, then the text format.
const CSceneFormatRegistry& EditorSceneFormats();
