// The files a model names (buffers, material libraries, textures), read only from inside the
// model's own folder: a file may not bring bytes from elsewhere on the machine into a saved
// scene, nor hold the reader on a FIFO or device.
#pragma once

#include <assimp/IOSystem.hpp>

#include <map>
#include <memory>
#include <string>

// Why the file at `path` (absolute, or relative to the working folder) may not be read as part
// of a model in `folder` ("" when it may, `bytes` then filled): it must be, with every symbolic
// link resolved, a regular file inside `folder` (or the model file `model` itself) of at most
// kMaxModelFileBytes. Special files are refused from their status, before any open. An empty
// `folder` refuses every file.
std::string ReadModelFolderFile(const std::string& folder, const std::string& model,
                                const std::string& path, std::string& bytes);

// The reader's file system for one model: files are served after ReadModelFolderFile's checks,
// each read once however often the reader opens it, and each one refused (for another reason
// than being absent) is remembered with why.
class CModelFolderIO : public Assimp::IOSystem {
public:
    CModelFolderIO(std::string folder, std::string model)
        : m_folder(std::move(folder)), m_model(std::move(model)) {}

    bool Exists(const char* file) const override;
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;
    void Close(Assimp::IOStream* stream) override;

    // The files refused so far (their paths made plain, without "." and ".."), with why.
    const std::map<std::string, std::string>& Refused() const { return m_refused; }

private:
    std::string m_folder, m_model;
    mutable std::map<std::string, std::string> m_refused;
    // The bytes of each file read so far, by resolved path.
    std::map<std::string, std::shared_ptr<const std::string>> m_read;
};
