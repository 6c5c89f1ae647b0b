// What a save must never do to the files around it: replace a read-only file, leave the
// temporary files of a killed save for ever, report a write the disk refused as done, or leave
// the scene's meshes behind when the scene goes to another folder.
#include "DotScene.h"
#include "EngineFixture.h"
#include "MeshBytes.h"
#include "SceneSaveFiles.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SaveSafetyTest : public FolderEngineTest {
protected:
    std::set<std::string> Names(const fs::path& where) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(where))
            names.insert(entry.path().filename().string());
        return names;
    }
    // A scene in folder `from` whose crates show crate.mesh with its material script and
    // the texture that script names; another mesh lies there unused.
    std::string CrateScene(const fs::path& from) {
        Write(from / "crate.mesh", ReadMeshData("crate.mesh"));
        Write(from / "crate.material", "material Crate/Wood\n{\n technique\n {\n  pass\n  {\n"
                                       "   texture_unit\n   {\n    texture wood.png\n   }\n"
                                       "  }\n }\n}\n");
        Write(from / "wood.png", "not decoded by a headless engine");
        Write(from / "unused.mesh", ReadMeshData("crate.mesh"));
        return Write(from / "s.scene", "<scene><nodes>\n"
                                       "<node name='a'><entity meshFile='crate.mesh'/></node>\n"
                                       "<node name='b'><position x='3' y='0' z='0'/>"
                                       "<entity meshFile='crate.mesh'/></node>\n"
                                       "<node name='c'><entity meshFile='box'/></node>\n"
                                       "</nodes></scene>\n");
    }

    std::string error;
    std::vector<std::string> warnings;
};

TEST_F(SaveSafetyTest, AReadOnlyFileIsNotReplaced) {
    BuildDemoScene(*scene);
    const std::string target = Write(folder / "locked.scene", "old contents");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    // Root may write any file: the mode bits decide, not whether opening it would fail.
    EXPECT_FALSE(SaveDotScene(target, *scene, error));
    EXPECT_EQ(error, target + ": the file is read-only");
    EXPECT_EQ(Read(target), "old contents");
    EXPECT_EQ(Names(folder), (std::set<std::string>{"locked.scene"}));

    // The ground's mesh beside it is replaced by a save too: the same rule.
    const std::string mesh = Write(folder / "open.ground.mesh", "old mesh");
    ASSERT_EQ(::chmod(mesh.c_str(), 0400), 0);
    EXPECT_FALSE(SaveDotScene((folder / "open.scene").string(), *scene, error));
    EXPECT_EQ(error, mesh + ": the file is read-only");
    EXPECT_EQ(Read(mesh), "old mesh");
    EXPECT_FALSE(fs::exists(folder / "open.scene"));

    // A file with a write bit is replaced and keeps its mode.
    ASSERT_EQ(::chmod(mesh.c_str(), 0640), 0);
    ASSERT_TRUE(SaveDotScene((folder / "open.scene").string(), *scene, error)) << error;
    struct stat info;
    ASSERT_EQ(::stat(mesh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(SaveSafetyTest, TemporaryFilesOfDeadSavesAreRemovedAndNoOthers) {
    // A process that has ended: its PID names nothing now.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child), live = std::to_string(::getppid());
    const std::vector<std::string> kept = {
        ".gizmark-" + live + "-a1B2c3",                       // a save under way in another process
        ".gizmark-" + std::to_string(::getpid()) + "-a1B2c3", // this process's own
        ".gizmark-a1B2c3",                                    // no PID: not known to be a save's
        ".gizmark-" + dead + "-a1B2",                         // not named like one
        ".gizmark-" + dead + "-a1B2c3.bak",
        "notes-" + dead + ".txt",
    };
    for (const std::string& name : kept)
        Write(folder / name, "x");
    Write(folder / (".gizmark-" + dead + "-zZ9yY8"), "left by a killed save");
    fs::create_directories(folder / (".gizmark-" + dead + "-dir123"));
    fs::create_symlink(folder / "notes.txt", folder / (".gizmark-" + dead + "-lnk123"));

    BuildDemoScene(*scene);
    ASSERT_TRUE(SaveDotScene((folder / "s.scene").string(), *scene, error)) << error;
    std::set<std::string> expected(kept.begin(), kept.end());
    expected.insert({"s.scene", "s.ground.mesh", ".gizmark-" + dead + "-dir123",
                     ".gizmark-" + dead + "-lnk123"});
    EXPECT_EQ(Names(folder), expected);

    // A save's own temporary files carry its PID.
    std::string temp;
    const int fd = CreateSaveTemporary(folder.string(), temp);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(
        fs::path(temp).filename().string().rfind(".gizmark-" + std::to_string(::getpid()) + "-", 0),
        0u)
        << temp;
}

TEST_F(SaveSafetyTest, AWriteTheDiskRefusesFailsWithItsReason) {
    BuildDemoScene(*scene);
    // Files may grow to 64 KiB: the scene text fits, the ground's mesh does not (the engine's
    // own file writer would cut it short without a word).
    const sighandler_t before = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    rlimit small = limit;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = SaveDotScene((folder / "big.scene").string(), *scene, error);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, before);
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, (folder / "big.ground.mesh").string() + ": cannot write (File too large)");
    EXPECT_TRUE(Names(folder).empty()); // nothing half-written left behind
}

TEST_F(SaveSafetyTest, SavingIntoAnotherFolderTakesTheMeshesAlong) {
    const std::string source = CrateScene(folder / "from");
    ASSERT_TRUE(OpenDotScene(source, *scene, error, warnings)) << error;
    ASSERT_TRUE(warnings.empty()) << warnings.front();

    const fs::path to = folder / "to";
    fs::create_directories(to);
    ASSERT_TRUE(SaveDotScene((to / "moved.scene").string(), *scene, warnings, error)) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(Names(to),
              (std::set<std::string>{"moved.scene", "crate.mesh", "crate.material", "wood.png"}));
    for (const char* name : {"crate.mesh", "crate.material", "wood.png"})
        EXPECT_EQ(Read(to / name), Read(folder / "from" / name)) << name;
    // Opened from there, the crates show their mesh, not boxes.
    ASSERT_TRUE(OpenDotScene((to / "moved.scene").string(), *scene, error, warnings)) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(scene->GetEntity("a")->GetMeshName(), "crate.mesh");
    EXPECT_TRUE(scene->GetEntity("a")->GetMissingMesh().empty());

    // Saved again in its own folder: nothing to copy, nothing said.
    ASSERT_TRUE(SaveDotScene((to / "moved.scene").string(), *scene, warnings, error)) << error;
    EXPECT_TRUE(warnings.empty());
}

TEST_F(SaveSafetyTest, ACopyNeverReplacesAnotherFileOfTheSameName) {
    const std::string source = CrateScene(folder / "from");
    ASSERT_TRUE(OpenDotScene(source, *scene, error, warnings)) << error;
    const fs::path to = folder / "to";
    Write(to / "crate.mesh", "someone else's crate");
    Write(to / "crate.material", Read(folder / "from" / "crate.material")); // the same bytes
    const std::string target = (to / "s.scene").string();
    ASSERT_TRUE(SaveDotScene(target, *scene, warnings, error)) << error;
    EXPECT_EQ(warnings, (std::vector<std::string>{target +
                                                  ": 'crate.mesh' is not copied: a different "
                                                  "file of that name is already in " +
                                                  to.string()}));
    EXPECT_EQ(Read(to / "crate.mesh"), "someone else's crate");
    EXPECT_EQ(Read(to / "wood.png"), Read(folder / "from" / "wood.png"));
}

} // namespace
