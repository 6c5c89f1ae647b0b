// Temporary files of a save, read-only targets, and the files of the scene's folder that go
// along when the scene is saved into another folder.
#include "SceneSaveFiles.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DotScene.h"
#include "SceneFolderFiles.h"

#include <OgreDataStream.h>
#include <OgreException.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgrePass.h>
#include <OgreResourceGroupManager.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kTemporaryPrefix = ".gizmark-";

SaveStepHook g_stepHook = nullptr;

void Step(SaveStep step) {
    if (g_stepHook)
        g_stepHook(step);
}

// The folders of the targets, each once, in the order first met.
std::vector<std::string> FoldersOf(const std::vector<PendingFile>& files) {
    std::vector<std::string> folders;
    for (const PendingFile& f : files) {
        std::string folder = fs::path(f.target).parent_path().string();
        if (folder.empty())
            folder = ".";
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    return folders;
}
const size_t kTemporaryRandom = 6; // the X's of mkstemp

// The PID of a temporary file's name ".gizmark-PID-XXXXXX", or 0 when the name is not one.
pid_t TemporaryWriter(const std::string& name) {
    const size_t prefix = std::strlen(kTemporaryPrefix);
    if (name.compare(0, prefix, kTemporaryPrefix) != 0)
        return 0;
    const size_t dash = name.find('-', prefix);
    if (dash == std::string::npos || dash == prefix || dash - prefix > 9 ||
        name.size() != dash + 1 + kTemporaryRandom)
        return 0;
    for (size_t i = prefix; i < dash; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
    for (size_t i = dash + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return 0;
    return pid_t(std::strtol(name.c_str() + prefix, nullptr, 10));
}

// The mode a file written at `path` gets: that of the file it replaces, or the usual one.
mode_t ModeFor(const std::string& path) {
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A stream that collects what the engine's serializers write, in memory.
class CByteSink : public Ogre::DataStream {
public:
    explicit CByteSink(std::string& bytes) : Ogre::DataStream(WRITE), m_bytes(bytes) {}
    size_t read(void*, size_t) override { return 0; }
    size_t write(const void* buf, size_t count) override {
        if (m_at + count > m_bytes.size())
            m_bytes.resize(m_at + count);
        std::memcpy(&m_bytes[m_at], buf, count);
        m_at += count;
        return count;
    }
    void skip(long count) override { seek(size_t(std::max<long>(0, long(m_at) + count))); }
    void seek(size_t pos) override { m_at = std::min(pos, m_bytes.size()); }
    size_t tell() const override { return m_at; }
    bool eof() const override { return m_at >= m_bytes.size(); }
    void close() override {}

private:
    std::string& m_bytes;
    size_t m_at = 0;
};

// A file directly in the folder (the scene folder's archive serves no others).
bool PlainName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

} // namespace

int CreateSaveTemporary(const std::string& folder, std::string& path) {
    path =
        (fs::path(folder.empty() ? "." : folder) /
         (kTemporaryPrefix + std::to_string(::getpid()) + "-" + std::string(kTemporaryRandom, 'X')))
            .string();
    return ::mkstemp(&path[0]);
}

int RemoveStaleSaveTemporaries(const std::string& folder) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const pid_t writer = TemporaryWriter(name);
        if (writer <= 0 || writer == ::getpid())
            continue;
        // A process that runs (or that this one may not signal: it runs too) keeps its file.
        if (::kill(writer, 0) == 0 || errno != ESRCH)
            continue;
        struct stat info;
        if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (::unlink(it->path().c_str()) == 0)
            ++removed;
    }
    return removed;
}

std::string ResolveSaveTarget(const std::string& path, std::string& error) {
    std::filesystem::path p(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (std::filesystem::symlink_status(p, ec).type() != std::filesystem::file_type::symlink)
            return p.string();
        const std::filesystem::path target = std::filesystem::read_symlink(p, ec);
        if (ec) {
            error = path + ": cannot write (" + ec.message() + ")";
            return {};
        }
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    error = path + ": cannot write (too many levels of symbolic links)";
    return {};
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
}

void SetSaveStepHook(SaveStepHook hook) {
    g_stepHook = hook;
}

int WriteAllBytes(int fd, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const size_t piece = std::min(kSaveWritePiece, bytes.size() - written);
        const ssize_t n = ::write(fd, bytes.data() + written, piece);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        written += size_t(n);
        Step(SaveStep::PIECE_WRITTEN);
    }
    return 0;
}

int SyncFolder(const std::string& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int failure = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // A file system that cannot flush a folder (EINVAL) keeps its entries as it can.
    return failure == EINVAL ? 0 : failure;
}

bool WritePendingFile(const std::string& target, const std::string& bytes,
                      std::vector<PendingFile>& files, std::string& error) {
    if (IsReadOnlyFile(target)) {
        error = target + ": the file is read-only";
        return false;
    }
    const std::string folder = fs::path(target).parent_path().string();
    std::string temp;
    const int fd = CreateSaveTemporary(folder, temp);
    if (fd < 0) {
        error = target + ": cannot write in " + (folder.empty() ? "." : folder) + " (" +
                std::strerror(errno) + ")";
        return false;
    }
    int failure = WriteAllBytes(fd, bytes);
    if (!failure && ::fchmod(fd, ModeFor(target)) != 0)
        failure = errno;
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (!failure)
        Step(SaveStep::FILE_FLUSHED);
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (failure) {
        ::unlink(temp.c_str());
        error = target + ": cannot write (" + std::strerror(failure) + ")";
        return false;
    }
    files.push_back({target, temp});
    return true;
}

std::string MeshFileBytes(const Ogre::Mesh& mesh) {
    std::string bytes;
    Ogre::MeshSerializer().exportMesh(&mesh, std::make_shared<CByteSink>(bytes));
    return bytes;
}

bool CommitPendingFiles(std::vector<PendingFile>& files, std::string& error) {
    // The temporary files' names reach the disk before any target is replaced by one.
    const std::vector<std::string> folders = FoldersOf(files);
    for (const std::string& folder : folders)
        if (const int failure = SyncFolder(folder)) {
            error = files.front().target + ": cannot write (" + std::strerror(failure) + ")";
            DropPendingFiles(files);
            return false;
        }
    Step(SaveStep::FOLDER_FLUSHED);
    for (size_t i = 0; i < files.size(); ++i) {
        if (::rename(files[i].temp.c_str(), files[i].target.c_str()) != 0) {
            error = files[i].target + ": cannot write (" + std::strerror(errno) + ")";
            files.erase(files.begin(), files.begin() + i);
            DropPendingFiles(files);
            return false;
        }
        Step(SaveStep::RENAMED);
    }
    // The renames themselves reach the disk before the save is reported done.
    for (const std::string& folder : folders)
        if (const int failure = SyncFolder(folder)) {
            error = files.back().target + ": cannot write (" + std::strerror(failure) + ")";
            files.clear();
            return false;
        }
    files.clear();
    Step(SaveStep::DONE);
    return true;
}

void DropPendingFiles(std::vector<PendingFile>& files) {
    for (const PendingFile& f : files)
        ::unlink(f.temp.c_str());
    files.clear();
}

std::set<std::string> SceneMeshNames(CEditorScene& scene, bool loadedOnly) {
    std::set<std::string> names;
    const std::string* last = nullptr; // scenes share a few meshes: most entities repeat one
    for (SceneEntity* s = scene.beginEntity(); s; s = scene.nextEntity()) {
        const CEditorEntity* e = dynamic_cast<const CEditorEntity*>(s);
        if (!e || e->GetMeshName().empty() || (loadedOnly && !e->GetMissingMesh().empty()))
            continue;
        if (!last || *last != e->GetMeshName())
            last = &*names.insert(e->GetMeshName()).first;
    }
    return names;
}

std::set<std::string> SceneFolderFilesInUse(CEditorScene& scene) {
    const std::string& group = scene.GetMeshGroup();
    std::set<std::string> files;
    if (group.empty())
        return files;
    for (const std::string& name : SceneMeshNames(scene, true)) {
        const Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().getByName(name, group);
        if (!mesh || mesh->isManuallyLoaded() || mesh->getGroup() != group || !PlainName(name))
            continue; // the editor's own shapes, imported meshes (saved on their own)
        files.insert(name);
        for (const Ogre::SubMesh* sub : mesh->getSubMeshes()) {
            const Ogre::MaterialPtr m =
                Ogre::MaterialManager::getSingleton().getByName(sub->getMaterialName(), group);
            if (!m || m->getGroup() != group)
                continue;
            if (PlainName(m->getOrigin()))
                files.insert(m->getOrigin());
            for (const Ogre::Technique* t : m->getTechniques())
                for (const Ogre::Pass* p : t->getPasses())
                    for (const Ogre::TextureUnitState* u : p->getTextureUnitStates())
                        for (unsigned i = 0; i < std::max(1u, u->getNumFrames()); ++i) {
                            const std::string texture =
                                u->getNumFrames() ? u->getFrameTextureName(i) : u->getTextureName();
                            if (PlainName(texture))
                                files.insert(texture);
                        }
        }
    }
    return files;
}

bool CopySceneFolderFiles(CEditorScene& scene, const std::string& scenePath,
                          std::vector<PendingFile>& files, std::vector<std::string>& warnings,
                          std::string& error) {
    const std::string& group = scene.GetMeshGroup();
    const std::string source = group.empty() ? std::string() : SceneFolderOfGroup(group);
    if (source.empty())
        return true;
    fs::path target = fs::path(scenePath).parent_path();
    if (target.empty())
        target = ".";
    std::error_code ec, ec2;
    const fs::path from = fs::canonical(source, ec), to = fs::canonical(target, ec2);
    if (ec || ec2 || from == to)
        return true;
    std::set<std::string> written;
    for (const PendingFile& f : files)
        written.insert(fs::path(f.target).filename().string());
    for (const std::string& name : SceneFolderFilesInUse(scene)) {
        const std::string at = (target / name).string();
        const std::string notCopied = scenePath + ": '" + name + "' is not copied: ";
        std::string bytes;
        const std::string why = ReadSceneFolderFile(source, name, bytes);
        if (why == "cannot be found")
            continue; // a texture the engine has of its own
        if (!why.empty()) {
            warnings.push_back(notCopied + why);
            continue;
        }
        if (written.count(name)) {
            warnings.push_back(notCopied + "the save writes a file of that name");
            continue;
        }
        if (fs::symlink_status(at, ec).type() != fs::file_type::not_found) {
            std::string there;
            if (!ReadRegularFile(at, kMaxSceneFileBytes, there).empty() || there != bytes)
                warnings.push_back(notCopied + "a different file of that name is already in " +
                                   target.string());
            continue; // the same bytes are there already
        }
        if (!WritePendingFile(at, bytes, files, error)) {
            DropPendingFiles(files);
            return false;
        }
    }
    return true;
}
