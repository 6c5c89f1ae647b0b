// A save killed at any step leaves each file it replaces whole, the old one or the new one: a
// child process saves a 50,000-entity scene over an older save and is stopped at one step of
// the save (pieces written, every flush, every rename) and killed there, step after step.
#include "DotScene.h"
#include "EngineFixture.h"
#include "SceneSaveFiles.h"

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

int g_stopAt = 0;
int g_steps = 0;

// Counts the steps; stops the process at the chosen one, for the parent to kill it there.
void StopAtStep(SaveStep) {
    if (++g_steps == g_stopAt)
        ::raise(SIGSTOP);
}

class SaveKillTest : public FolderEngineTest {
protected:
    // Saves in a child stopped and killed at step `step` (a step past the last: not killed).
    // True when it was killed.
    bool KilledSave(const std::string& target, int step) {
        const pid_t child = ::fork();
        if (child == 0) {
            g_steps = 0;
            g_stopAt = step;
            SetSaveStepHook(StopAtStep);
            std::string error;
            ::_exit(SaveDotScene(target, *scene, error) ? 0 : 1);
        }
        EXPECT_GT(child, 0);
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, WUNTRACED), child);
        if (WIFSTOPPED(status)) {
            ::kill(child, SIGKILL);
            EXPECT_EQ(::waitpid(child, &status, 0), child);
            return true;
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save failed";
        return false;
    }
};

TEST_F(SaveKillTest, ASaveKilledAtAnyStepLeavesTheOldFileOrTheNewWhole) {
    BuildDemoScene(*scene);
    for (int i = 0; i < 50000; ++i)
        ASSERT_TRUE(scene->AddMesh("k" + std::to_string(i), "box", "",
                                   Ogre::Vector3(float(i % 500), 0, float(i / 500))));
    const std::string target = (folder / "s.scene").string();
    const std::string ground = (folder / "s.ground.mesh").string();
    std::string error;
    ASSERT_TRUE(SaveDotScene(target, *scene, error)) << error;
    const std::string oldScene = Read(target), oldGround = Read(ground);

    // The new scene, saved once elsewhere for its bytes and the number of steps of its save.
    ASSERT_TRUE(scene->RemoveEntity("k7"));
    scene->GetEntity("k49999")->SetPosition(Ogre::Vector3(1, 2, 3));
    fs::create_directories(folder / "new");
    g_steps = 0;
    SetSaveStepHook(StopAtStep);
    const bool saved = SaveDotScene((folder / "new" / "s.scene").string(), *scene, error);
    SetSaveStepHook(nullptr);
    ASSERT_TRUE(saved) << error;
    const int steps = g_steps;
    const std::string newScene = Read(folder / "new" / "s.scene");
    ASSERT_NE(newScene, oldScene);
    // Many pieces: the scene's text is several times a piece.
    ASSERT_GT(newScene.size(), 4 * kSaveWritePiece);
    ASSERT_GT(steps, 8);

    // Every flush and rename (the last steps) and the first pieces; of the scene text's many
    // pieces every third (each kill costs a child its whole save up to there).
    // Under the sanitizers a save is several times slower: every ninth piece there.
#if defined(__SANITIZE_ADDRESS__)
    const int every = 9;
#else
    const int every = 3;
#endif
    bool sawNew = false;
    for (int step = 1; step <= steps; ++step) {
        if (step > 3 && step < steps - 6 && step % every != 0)
            continue;
        ASSERT_TRUE(KilledSave(target, step)) << "step " << step;
        const std::string now = Read(target);
        ASSERT_TRUE(now == oldScene || now == newScene)
            << "killed at step " << step << " of " << steps << ": " << now.size() << " bytes";
        EXPECT_EQ(Read(ground), oldGround) << "step " << step; // the same mesh, whole
        // Once replaced, never back: the renames happen in order, the scene file last.
        if (sawNew) {
            EXPECT_EQ(now, newScene) << "step " << step;
        }
        sawNew = sawNew || now == newScene;
    }
    EXPECT_TRUE(sawNew) << "the save was never let reach its rename";
    // The last kill came after the scene file's rename: the new one stays.
    EXPECT_EQ(Read(target), newScene);

    // A whole save afterwards: done, and the killed saves' temporary files gone.
    EXPECT_FALSE(KilledSave(target, steps + 1));
    EXPECT_EQ(Read(target), newScene);
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_NE(entry.path().filename().string().rfind(".gizmark-", 0), 0u) << entry.path();
}

} // namespace
