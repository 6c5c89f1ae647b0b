// Reading a model's own files only (see ModelFolderIO.h).
#include "ModelFolderIO.h"

#include "ModelImport.h"
#include "SceneFolderFiles.h"

#include <assimp/MemoryIOWrapper.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

bool Inside(const std::string& folder, const std::string& resolved) {
    const std::string prefix = folder == "/" ? folder : folder + "/";
    return resolved.size() > prefix.size() && resolved.compare(0, prefix.size(), prefix) == 0;
}

// Why the file may not be read ("" when it may, `out` then its resolved path).
std::string CheckModelFolderFile(const std::string& folder, const std::string& model,
                                 const std::string& path, std::string& out) {
    if (folder.empty())
        return "outside the model's folder";
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    if (ec)
        return fs::symlink_status(path, ec).type() == fs::file_type::symlink
                   ? "a symbolic link that leads nowhere"
                   : "cannot be found";
    const fs::path base = fs::canonical(folder, ec);
    if (ec)
        return "the model's folder cannot be read";
    const bool self = !model.empty() && resolved == fs::canonical(model, ec) && !ec;
    if (!self && !Inside(base.string(), resolved.string()))
        return "outside the model's folder";
    // A FIFO, device or socket is refused from its status: it is never opened.
    struct stat info;
    if (::stat(resolved.c_str(), &info) != 0)
        return "cannot be found";
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    out = resolved.string();
    return {};
}

} // namespace

std::string ReadModelFolderFile(const std::string& folder, const std::string& model,
                                const std::string& path, std::string& bytes) {
    bytes.clear();
    std::string resolved;
    const std::string why = CheckModelFolderFile(folder, model, path, resolved);
    return why.empty() ? ReadRegularFile(resolved, kMaxModelFileBytes, bytes) : why;
}

bool CModelFolderIO::Exists(const char* file) const {
    if (!file)
        return false;
    // A refused file is absent to the reader; why it was refused is kept for the messages.
    std::string resolved;
    const std::string why = CheckModelFolderFile(m_folder, m_model, file, resolved);
    if (why.empty())
        return true;
    if (why != "cannot be found")
        m_refused.emplace(fs::path(file).lexically_normal().string(), why);
    return false;
}

Assimp::IOStream* CModelFolderIO::Open(const char* file, const char* mode) {
    if (!file || !mode || std::strchr(mode, 'w') || std::strchr(mode, 'a') ||
        std::strchr(mode, '+'))
        return nullptr; // the reader only reads
    std::string bytes;
    const std::string why = ReadModelFolderFile(m_folder, m_model, file, bytes);
    if (!why.empty()) {
        if (why != "cannot be found")
            m_refused.emplace(fs::path(file).lexically_normal().string(), why);
        return nullptr;
    }
    auto* copy = new std::uint8_t[bytes.size() + 1];
    std::memcpy(copy, bytes.data(), bytes.size());
    return new Assimp::MemoryIOStream(copy, bytes.size(), true);
}

void CModelFolderIO::Close(Assimp::IOStream* stream) {
    delete stream;
}
