// The export's files: checked, formatted, written through temporary files and renamed.
#include "GltfExport.h"
#include "GltfLayout.h"
#include "GltfModel.h"

#include "CaughtFailure.h"
#include "SceneSaveFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

std::string LowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

bool WriteExport(const std::string& path, CEditorScene& scene, GltfExportResult& result,
                 std::string& error) {
    const std::string ext = LowerExtension(path);
    const bool binary = ext == ".glb";
    if (!binary && ext != ".gltf") {
        error = path + ": the file name must end in .glb or .gltf";
        return false;
    }
    const std::filesystem::path target(path);
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) {
        error = path + ": is a folder";
        return false;
    }
    // Over a symbolic link, the file it leads to is written and the link kept (as a save does);
    // the buffer goes beside the path given, where a reader of that path looks for it.
    const std::string file = ResolveSaveTarget(path, error);
    if (file.empty())
        return false;
    const GltfModel model = DescribeGltfScene(scene);
    const std::string binName = GltfBufferFileName(target.stem().string());
    const GltfFileBytes bytes = FormatGltf(model, binary ? std::string() : binName);
    std::vector<PendingFile> files;
    // Whatever happens below, no temporary file stays.
    struct Guard {
        std::vector<PendingFile>& files;
        ~Guard() { DropPendingFiles(files); }
    } guard{files};
    RemoveStaleSaveTemporaries(target.parent_path().string());
    if (binary) {
        const std::uint64_t size =
            12 + 8 + bytes.json.size() + 3 + 8 + std::uint64_t(bytes.buffer.size()) + 3;
        if (size > kMaxGlbBytes) {
            error = path + ": the scene is too large for a binary glTF file (" +
                    std::to_string(size) + " bytes); export it as .gltf";
            return false;
        }
        if (!WritePendingFile(file, GlbContainer(bytes.json, bytes.buffer), files, error))
            return false;
    } else {
        // The file named first (a failure then names it), but the buffer renamed first, so
        // that the JSON never stands without the buffer it names.
        if (!WritePendingFile(file, bytes.json, files, error))
            return false;
        if (!bytes.buffer.empty()) {
            const std::string bin =
                ResolveSaveTarget((target.parent_path() / binName).string(), error);
            if (bin.empty() || !WritePendingFile(bin, bytes.buffer, files, error))
                return false;
        }
        std::reverse(files.begin(), files.end());
    }
    if (!CommitPendingFiles(files, error))
        return false;
    result.nodes = static_cast<int>(model.nodes.size());
    result.meshes = static_cast<int>(model.meshes.size());
    for (const std::string& w : model.warnings)
        result.warnings.push_back(path + ": " + w);
    return true;
}

} // namespace

bool ExportGltf(const std::string& path, CEditorScene& scene, GltfExportResult& result,
                std::string& error) {
    result = GltfExportResult();
    try {
        return WriteExport(path, scene, result, error);
    } catch (...) {
        error = CaughtFailure(path, "exporting the scene", "export the scene");
    }
    return false;
}
