// Checked reading of the scene folder's files, and the engine archive that serves them.
#include "SceneFolderFiles.h"

#include "DotScene.h"

#include <OgreArchive.h>
#include <OgreArchiveFactory.h>
#include <OgreArchiveManager.h>
#include <OgreDataStream.h>
#include <OgreException.h>
#include <OgreResourceGroupManager.h>
#include <OgreString.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

const char* const kSceneFolderArchiveType = "EditorSceneFolder";

namespace {

std::string Mebibytes(std::uint64_t bytes) {
    return bytes % (1024 * 1024) == 0 ? std::to_string(bytes / (1024 * 1024)) + " MiB"
                                      : std::to_string(bytes) + " bytes";
}

// The resolved path of `name` in `folder`, or "" with `why`.
std::string ResolveInside(const std::string& folder, const std::string& name, std::string& why) {
    const fs::path relative(name);
    if (name.empty() || relative.is_absolute()) {
        why = "outside the scene's folder";
        return {};
    }
    for (const fs::path& part : relative)
        if (part == "..") {
            why = "outside the scene's folder";
            return {};
        }
    std::error_code ec;
    const fs::path base = fs::canonical(folder, ec);
    if (ec) {
        why = "the scene's folder cannot be read";
        return {};
    }
    const fs::path resolved = fs::canonical(base / relative, ec);
    if (ec) {
        why = fs::symlink_status(base / relative, ec).type() == fs::file_type::symlink
                  ? "a symbolic link that leads nowhere"
                  : "cannot be found";
        return {};
    }
    // Inside: the folder's path followed by a separator starts the resolved path.
    const std::string b = base.string(), r = resolved.string();
    const std::string prefix = b == "/" ? b : b + "/";
    if (r.compare(0, prefix.size(), prefix) != 0 || r.size() == prefix.size()) {
        why = "a symbolic link that leads outside the scene's folder";
        return {};
    }
    return r;
}

// Serves the checked files directly in one folder (no subfolders).
class CSceneFolderArchive : public Ogre::Archive {
public:
    CSceneFolderArchive(const Ogre::String& name, const Ogre::String& type)
        : Ogre::Archive(name, type), m_folder(SceneFolderOfLocation(name)) {}

    bool isCaseSensitive() const override { return true; }
    void load() override {}
    void unload() override {}

    Ogre::DataStreamPtr open(const Ogre::String& filename, bool) const override {
        std::string bytes;
        const std::string why = ReadSceneFolderFile(m_folder, filename, bytes);
        if (!why.empty())
            OGRE_EXCEPT(Ogre::Exception::ERR_FILE_NOT_FOUND, "'" + filename + "': " + why,
                        "CSceneFolderArchive::open");
        auto stream = std::make_shared<Ogre::MemoryDataStream>(filename, bytes.size(), true, true);
        if (!bytes.empty())
            std::memcpy(stream->getPtr(), bytes.data(), bytes.size());
        return stream;
    }
    Ogre::StringVectorPtr list(bool recursive, bool dirs) const override {
        return find("*", recursive, dirs);
    }
    Ogre::FileInfoListPtr listFileInfo(bool recursive, bool dirs) const override {
        return findFileInfo("*", recursive, dirs);
    }
    Ogre::StringVectorPtr find(const Ogre::String& pattern, bool recursive,
                               bool dirs) const override {
        auto names = std::make_shared<Ogre::StringVector>();
        const Ogre::FileInfoListPtr found = findFileInfo(pattern, recursive, dirs);
        for (const Ogre::FileInfo& info : *found)
            names->push_back(info.filename);
        return names;
    }
    Ogre::FileInfoListPtr findFileInfo(const Ogre::String& pattern, bool,
                                       bool dirs) const override {
        auto found = std::make_shared<Ogre::FileInfoList>();
        if (dirs)
            return found;
        std::error_code ec;
        for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            std::uint64_t size = 0;
            if (!Ogre::StringUtil::match(name, pattern, true) ||
                !CheckSceneFolderFile(m_folder, name, &size).empty())
                continue;
            Ogre::FileInfo info;
            info.archive = this;
            info.filename = info.basename = name;
            info.compressedSize = info.uncompressedSize = size_t(size);
            found->push_back(info);
        }
        return found;
    }
    bool exists(const Ogre::String& filename) const override {
        return CheckSceneFolderFile(m_folder, filename).empty();
    }
    time_t getModifiedTime(const Ogre::String& filename) const override {
        struct stat info;
        return ::stat((m_folder + "/" + filename).c_str(), &info) == 0 ? info.st_mtime : 0;
    }

private:
    const std::string m_folder;
};

class CSceneFolderArchiveFactory : public Ogre::ArchiveFactory {
public:
    const Ogre::String& getType() const override { return m_type; }
    Ogre::Archive* createInstance(const Ogre::String& name, bool) override {
        return new CSceneFolderArchive(name, m_type);
    }
    void destroyInstance(Ogre::Archive* archive) override { delete archive; }

private:
    const Ogre::String m_type = kSceneFolderArchiveType;
};

} // namespace

std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes) {
    bytes.clear();
    // A special file is refused from its status, never opened (opening some devices acts).
    struct stat before;
    if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode))
        return "not a regular file";
    // Non-blocking: a FIFO put in the file's place since must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? "cannot be found" : "cannot be opened";
    struct stat info;
    std::string why;
    if (::fstat(fd, &info) != 0)
        why = "cannot be read";
    else if (!S_ISREG(info.st_mode))
        why = "not a regular file";
    else if (std::uint64_t(info.st_size) > maxBytes)
        why = "larger than " + Mebibytes(maxBytes);
    if (why.empty()) {
        // One byte more than the size: a file that grew since is refused, not cut.
        bytes.resize(size_t(info.st_size) + 1);
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, &bytes[done], bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n < 0)
                    why = "cannot be read";
                break;
            }
            done += size_t(n);
        }
        if (why.empty() && done != size_t(info.st_size))
            why = "changed while being read";
        bytes.resize(why.empty() ? done : 0);
    }
    ::close(fd);
    return why;
}

std::string CheckSceneFolderFile(const std::string& folder, const std::string& name,
                                 std::uint64_t* size) {
    std::string why;
    const std::string path = ResolveInside(folder, name, why);
    if (path.empty())
        return why;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return "cannot be found";
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    if (std::uint64_t(info.st_size) > kMaxSceneFileBytes)
        return "larger than " + Mebibytes(kMaxSceneFileBytes);
    if (size)
        *size = std::uint64_t(info.st_size);
    return {};
}

std::string ReadSceneFolderFile(const std::string& folder, const std::string& name,
                                std::string& bytes) {
    bytes.clear();
    std::string why;
    const std::string path = ResolveInside(folder, name, why);
    return path.empty() ? why : ReadRegularFile(path, kMaxSceneFileBytes, bytes);
}

// The serial follows the last newline, so any folder name comes back whole.
std::string SceneFolderLocation(const std::string& folder, unsigned serial) {
    return folder + "\n" + std::to_string(serial);
}

std::string SceneFolderOfLocation(const std::string& location) {
    return location.substr(0, location.rfind('\n'));
}

std::string SceneFolderOfGroup(const std::string& group) {
    try {
        const Ogre::StringVectorPtr locations =
            Ogre::ResourceGroupManager::getSingleton().listResourceLocations(group);
        if (locations && !locations->empty())
            return SceneFolderOfLocation(locations->front());
    } catch (const Ogre::Exception&) {
    }
    return {};
}

void RegisterSceneFolderArchive() {
    // Added on every call: each engine root has an archive manager of its own (registering
    // the same factory again changes nothing).
    static CSceneFolderArchiveFactory factory;
    if (Ogre::ArchiveManager* manager = Ogre::ArchiveManager::getSingletonPtr())
        manager->addArchiveFactory(&factory);
}
