// The lookup of scene file formats, and the editor's two formats registered in it.
#include "SceneFormats.h"

#include "CEditorScene.h"
#include "DotScene.h"
#include "TextScene.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadSceneFileHead(const std::string& path, std::string& head) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    char buffer[kSceneFileHeadBytes] = {};
    ssize_t count = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        count = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (count < 0)
        return false;
    head.assign(buffer, size_t(count));
    if (head.rfind("\xEF\xBB\xBF", 0) == 0)
        head.erase(0, 3);
    return true;
}

void CSceneFormatRegistry::Register(SceneFormat format) {
    if (m_formats.empty() && (!format.read || !format.write))
        throw std::invalid_argument("the default scene format must read and write");
    m_formats.push_back(std::move(format));
}

const SceneFormat* CSceneFormatRegistry::ClaimedBy(const std::string& path) const {
    std::string head;
    if (!ReadSceneFileHead(path, head))
        return nullptr;
    for (const SceneFormat& format : m_formats)
        if (format.claims && format.claims(head))
            return &format;
    return nullptr;
}

const SceneFormat& CSceneFormatRegistry::ForOpening(const std::string& path) const {
    const SceneFormat* claimed = ClaimedBy(path);
    return claimed ? *claimed : m_formats.at(0);
}

const SceneFormat& CSceneFormatRegistry::ForSaving(const std::string& path) const {
    auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        return text;
    };
    const std::string extension = lower(std::filesystem::path(path).extension().string());
    for (const SceneFormat& format : m_formats)
        if (format.write && lower(format.extension) == extension)
            return format;
    return m_formats.at(0);
}

namespace {

// Ogre scene XML: read whole and checked, then built with the meshes of the file's folder.
std::unique_ptr<CEditorScene> ReadDotSceneAside(const std::string& path,
                                                Ogre::SceneManager* sceneManager,
                                                std::vector<std::string>& warnings,
                                                std::string& error) {
    DotSceneDocument doc;
    if (!ReadDotSceneFile(path, doc, error))
        return nullptr;
    std::vector<std::string> found = doc.warnings;
    std::error_code ec;
    const std::string folder = std::filesystem::absolute(path, ec).parent_path().string();
    std::unique_ptr<CEditorScene> scene =
        BuildDotSceneAside(doc, folder, path, sceneManager, found, error);
    if (scene)
        warnings = std::move(found);
    return scene;
}

CSceneFormatRegistry MakeEditorFormats() {
    CSceneFormatRegistry formats;
    formats.Register(
        {"Ogre scene XML", ".scene", LooksLikeDotScene, ReadDotSceneAside,
         [](const std::string& path, CEditorScene& scene, std::vector<std::string>& warnings,
            std::string& error) { return SaveDotScene(path, scene, warnings, error); }});
    // Any other readable file is taken for the text format: its reader says what is wrong.
    formats.Register(
        {"scene text",
         ".scene",
         [](const std::string& head) { return !LooksLikeDotScene(head); },
         [](const std::string& path, Ogre::SceneManager* sceneManager, std::vector<std::string>&,
            std::string& error) { return ReadSceneTextFile(path, sceneManager, error); },
         {}});
    return formats;
}

} // namespace

const CSceneFormatRegistry& EditorSceneFormats() {
    static const CSceneFormatRegistry formats = MakeEditorFormats();
    return formats;
}
