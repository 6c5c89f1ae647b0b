// Reading a model's own files only (see ModelFolderIO.h).
#include "ModelFolderIO.h"

#include "ModelImport.h"
#include "SceneFolderFiles.h"

#include <assimp/IOStream.hpp>

#include <algorithm>
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

// A file's bytes, read once and shared by every stream the reader opens on it (the reader
// opens the model file several times while it picks its importer).
class CSharedBytesStream : public Assimp::IOStream {
public:
    explicit CSharedBytesStream(std::shared_ptr<const std::string> bytes)
        : m_bytes(std::move(bytes)) {}
    size_t Read(void* to, size_t size, size_t count) override {
        if (size == 0)
            return 0;
        const size_t n = std::min(count, (m_bytes->size() - m_at) / size);
        if (n > 0)
            std::memcpy(to, m_bytes->data() + m_at, n * size);
        m_at += n * size;
        return n;
    }
    size_t Write(const void*, size_t, size_t) override { return 0; }
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        const size_t base = origin == aiOrigin_SET   ? 0
                            : origin == aiOrigin_CUR ? m_at
                                                     : m_bytes->size();
        if (offset > m_bytes->size() - base)
            return AI_FAILURE;
        m_at = base + offset;
        return AI_SUCCESS;
    }
    size_t Tell() const override { return m_at; }
    size_t FileSize() const override { return m_bytes->size(); }
    void Flush() override {}

private:
    std::shared_ptr<const std::string> m_bytes;
    size_t m_at = 0;
};

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
    std::string resolved;
    std::string why = CheckModelFolderFile(m_folder, m_model, file, resolved);
    std::shared_ptr<const std::string> shared;
    if (why.empty()) {
        std::shared_ptr<const std::string>& cached = m_read[resolved];
        if (!cached) {
            std::string bytes;
            why = ReadRegularFile(resolved, kMaxModelFileBytes, bytes);
            if (why.empty())
                cached = std::make_shared<const std::string>(std::move(bytes));
        }
        shared = cached;
    }
    if (!why.empty()) {
        if (why != "cannot be found")
            m_refused.emplace(fs::path(file).lexically_normal().string(), why);
        return nullptr;
    }
    return new CSharedBytesStream(std::move(shared));
}

void CModelFolderIO::Close(Assimp::IOStream* stream) {
    delete stream;
}
