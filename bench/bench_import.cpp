// Importing a model of 100,000 triangles into a headless editor scene: a grid written by the
// program itself as binary PLY and as binary glTF, imported through the same call as the
// `import` script command and File › 导入… (read, check, build the engine mesh, add the
// entities, push the undo step). The import is undone between iterations, outside the timing.
// Also the reading stage alone. Each benchmark reports the median milliseconds of its
// iterations as "median_ms".
#include "CEditorEngine.h"
#include "CEditorScene.h"
#include "CEditorUndoManager.h"
#include "DemoScene.h"
#include "Interface.h"
#include "ModelImport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class CSilentTools : public IToolManager {
public:
    void switchTool(int) override {}
    int toolForCommand(IPluginBase*, int) override { return -1; }
    void notify(int, int, void*) override {}
};

// A grid of `columns` x `rows` quads (two triangles each) in the XZ plane with gentle hills.
void Grid(int columns, int rows, std::vector<float>& positions,
          std::vector<std::uint32_t>& indices) {
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c)
            positions.insert(positions.end(),
                             {float(c), 0.25f * float((c * 7 + r * 3) % 5), float(r)});
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const std::uint32_t a = r * (columns + 1) + c, b = a + 1, d = a + columns + 1,
                                e = d + 1;
            indices.insert(indices.end(), {a, d, b, b, d, e});
        }
}

std::string Folder() {
    static std::string folder;
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/gizmark-bench-import-" +
                 std::to_string(::getpid());
        std::filesystem::create_directories(folder);
    }
    return folder;
}

// 250 x 200 quads: 100,000 triangles.
std::string WritePly() {
    std::vector<float> positions;
    std::vector<std::uint32_t> indices;
    Grid(250, 200, positions, indices);
    const std::string path = Folder() + "/grid.ply";
    std::ofstream out(path, std::ios::binary);
    out << "ply\nformat binary_little_endian 1.0\nelement vertex " << positions.size() / 3
        << "\nproperty float x\nproperty float y\nproperty float z\nelement face "
        << indices.size() / 3 << "\nproperty list uchar int vertex_indices\nend_header\n";
    out.write(reinterpret_cast<const char*>(positions.data()), positions.size() * 4);
    for (size_t i = 0; i < indices.size(); i += 3) {
        out.put(3);
        out.write(reinterpret_cast<const char*>(&indices[i]), 12);
    }
    return path;
}

std::string WriteGlb() {
    std::vector<float> positions;
    std::vector<std::uint32_t> indices;
    Grid(250, 200, positions, indices);
    std::string bin(reinterpret_cast<const char*>(positions.data()), positions.size() * 4);
    const size_t indexOffset = bin.size();
    bin.append(reinterpret_cast<const char*>(indices.data()), indices.size() * 4);
    std::string json =
        "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
        "\"nodes\":[{\"name\":\"grid\",\"mesh\":0}],\"meshes\":[{\"primitives\":[{"
        "\"attributes\":{\"POSITION\":0},\"indices\":1}]}],\"buffers\":[{\"byteLength\":" +
        std::to_string(bin.size()) +
        "}],\"bufferViews\":[{\"buffer\":0,\"byteOffset\":0,\"byteLength\":" +
        std::to_string(indexOffset) +
        "},{\"buffer\":0,\"byteOffset\":" + std::to_string(indexOffset) +
        ",\"byteLength\":" + std::to_string(bin.size() - indexOffset) +
        "}],\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":" +
        std::to_string(positions.size() / 3) +
        ",\"type\":\"VEC3\",\"min\":[0,0,0],\"max\":[250,1,200]},{\"bufferView\":1,"
        "\"componentType\":5125,\"count\":" +
        std::to_string(indices.size()) + ",\"type\":\"SCALAR\"}]}";
    while (json.size() % 4)
        json += ' ';
    auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<char*>(&v), 4); };
    const std::string path = Folder() + "/grid.glb";
    std::ofstream(path, std::ios::binary)
        << "glTF" << u32(2) << u32(12 + 8 + json.size() + 8 + bin.size()) << u32(json.size())
        << u32(0x4E4F534A) << json << u32(bin.size()) << u32(0x004E4942) << bin;
    return path;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Import(benchmark::State& state, const std::string& path) {
    CEditorEngine engine(false);
    CreateDemoMeshes(engine);
    CEditorScene& scene = *engine.GetScene();
    CEditorUndoManager undo;
    CSilentTools tools;
    std::vector<double> times;
    for (auto _ : state) {
        ModelImportResult result;
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        const bool ok = ImportModel(path, scene, undo, tools, result, error);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (!ok) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.PauseTiming();
        undo.undo();
        undo.clear();
        state.ResumeTiming();
    }
    state.counters["median_ms"] = Median(times);
}

void ImportPly(benchmark::State& state) {
    Import(state, WritePly());
}

void ImportGlb(benchmark::State& state) {
    Import(state, WriteGlb());
}

void ReadPly(benchmark::State& state) {
    const std::string path = WritePly();
    std::vector<double> times;
    for (auto _ : state) {
        ModelPlan plan;
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        if (!ReadModelFile(path, plan, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        state.counters["triangles"] = double(plan.TriangleCount());
    }
    state.counters["median_ms"] = Median(times);
}

} // namespace

BENCHMARK(ImportPly)->Arg(100000)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportGlb)->Arg(100000)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadPly)->Arg(100000)->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
