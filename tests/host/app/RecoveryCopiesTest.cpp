// Recovery copies without an editor: whose process is dead (a PID used again is not the same
// editor), which copies are offered and in what order, the info file read back and hostile ones
// refused, removal that never follows a link, and the autosave timer with a stand-in scene.
#include "CAutosaver.h"
#include "RecoveryCopies.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class RecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        root = fs::path(testing::TempDir()) /
               (std::string("recovery_") + test->test_suite_name() + "_" + test->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    static void Write(const fs::path& path, const std::string& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // A copy as autosave leaves it, in a folder named for `process`.
    fs::path Copy(const EditorProcess& process, const RecoveryInfo& info) {
        const fs::path folder = root / ProcessFolderName(process);
        Write(folder / kRecoverySceneFile, "<scene/>");
        Write(folder / kRecoveryInfoFile, FormatRecoveryInfo(info));
        return folder;
    }
    static EditorProcess DeadProcess() {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        EditorProcess dead;
        dead.pid = child;
        ProcessStartTime(child, dead.start); // read while it is a zombie
        ::waitpid(child, nullptr, 0);
        return dead;
    }

    fs::path root;
};

TEST_F(RecoveryTest, OnlyTheSameProcessStartedAtTheSameTimeCountsAsRunning) {
    const EditorProcess self = CurrentEditorProcess();
    EXPECT_EQ(self.pid, long(::getpid()));
    EXPECT_GT(self.start, 0u);
    EXPECT_TRUE(IsProcessRunning(self));
    // The same PID with another start time: a process that used the PID again.
    EditorProcess reused = self;
    reused.start += 1;
    EXPECT_FALSE(IsProcessRunning(reused));
    EXPECT_FALSE(IsProcessRunning(DeadProcess()));
    EXPECT_FALSE(IsProcessRunning(EditorProcess{}));

    EditorProcess back;
    ASSERT_TRUE(ParseProcessFolderName(ProcessFolderName(self), back));
    EXPECT_EQ(back.pid, self.pid);
    EXPECT_EQ(back.start, self.start);
    for (const char* name : {"", "-", "12", "12-", "-5", "0-5", "12-5.old", "a-5", "12-5-6",
                             "1234567890-5", "12-123456789012345678901", " 12-5"})
        EXPECT_FALSE(ParseProcessFolderName(name, back)) << name;
}

TEST_F(RecoveryTest, TheInfoFileReadsBackAndHostileOnesAreRefused) {
    RecoveryInfo info;
    info.source = "/home/a b/场景\\new\nline.scene";
    info.time = 1796918400;
    info.undoSteps = 17;
    info.entities = 50000;
    RecoveryInfo back;
    std::string error;
    ASSERT_TRUE(ParseRecoveryInfo(FormatRecoveryInfo(info), back, error)) << error;
    EXPECT_EQ(back.source, info.source);
    EXPECT_EQ(back.time, info.time);
    EXPECT_EQ(back.undoSteps, 17);
    EXPECT_EQ(back.entities, 50000);
    // A key of a later editor is skipped; an untitled scene has no source.
    ASSERT_TRUE(ParseRecoveryInfo("gizmark-recovery 1\nsource=\ntime=5\nnew=1\n", back, error));
    EXPECT_EQ(back.source, "");
    EXPECT_EQ(back.time, 5);

    const char* hostile[] = {
        "",
        "gizmark-recovery 2\ntime=5\n",   // another format
        "gizmark-recovery 1\nsource=x\n", // no time
        "gizmark-recovery 1\ntime=-5\n",  // negative
        "gizmark-recovery 1\ntime=5x\n",  // not a number
        "gizmark-recovery 1\ntime=99999999999999999999\n",
        "gizmark-recovery 1\ntime=5\nundo=4294967296\n", // beyond an int
        "gizmark-recovery 1\ntime=5\nsource=a\\q\n",     // an unknown escape
        "gizmark-recovery 1\ntime=5\nsource=a\\\n",      // a cut escape
        "gizmark-recovery 1\ntime=5\njunk\n",
    };
    for (const char* text : hostile) {
        back = RecoveryInfo();
        back.source = "kept";
        EXPECT_FALSE(ParseRecoveryInfo(text, back, error)) << text;
        EXPECT_EQ(back.source, "kept") << "changed by a refused text: " << text;
    }
    const std::string withNul = std::string("gizmark-recovery 1\ntime=5\nsource=a") + '\0' + "b\n";
    EXPECT_FALSE(ParseRecoveryInfo(withNul, back, error));

    EXPECT_EQ(FormatRecoveryTime(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(FormatRecoveryTime(1796918400), "2026-12-10T16:00:00Z");
}

TEST_F(RecoveryTest, CopiesOfDeadEditorsAreOfferedNewestFirstAndNothingElse) {
    RecoveryInfo older, newer, untitled;
    older.source = "/scenes/old.scene";
    older.time = 1000;
    newer.source = "/scenes/new.scene";
    newer.time = 3000;
    untitled.time = 2000;
    const EditorProcess a{101, 7}, b{102, 7}, c{103, 7}, live{104, 7};
    Copy(a, older);
    Copy(b, newer);
    const fs::path untitledFolder = Copy(c, untitled);
    Copy(live, newer);
    auto running = [&](const EditorProcess& p) { return p.pid == live.pid; };

    // Not copies: a link to a copy's folder, a folder without info or without a scene file,
    // info that is no info, too big, a FIFO; a stray file; a folder not named for a process.
    fs::create_directory_symlink(root / ProcessFolderName(b), root / "105-7");
    Write(root / "106-7" / kRecoverySceneFile, "<scene/>");
    Write(root / "107-7" / kRecoveryInfoFile, FormatRecoveryInfo(newer));
    Write(root / "108-7" / kRecoverySceneFile, "<scene/>");
    Write(root / "108-7" / kRecoveryInfoFile, "not an info file");
    Write(root / "109-7" / kRecoverySceneFile, "<scene/>");
    Write(root / "109-7" / kRecoveryInfoFile,
          FormatRecoveryInfo(newer) + std::string(100 * 1024, 'x'));
    fs::create_directories(root / "110-7");
    Write(root / "110-7" / kRecoverySceneFile, "<scene/>");
    ASSERT_EQ(::mkfifo((root / "110-7" / kRecoveryInfoFile).c_str(), 0600), 0);
    Write(root / "111-7", "a file");
    Copy(EditorProcess{112, 7}, newer);
    fs::rename(root / "112-7", root / "112-7.old");

    const std::vector<RecoveryCopy> copies = FindRecoveryCopies(root.string(), running);
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0].Shown(), "/scenes/new.scene");
    EXPECT_EQ(copies[0].owner.pid, b.pid);
    EXPECT_EQ(copies[1].Shown(), untitledFolder.string()); // untitled: named by its folder
    EXPECT_EQ(copies[2].Shown(), "/scenes/old.scene");
    EXPECT_TRUE(FindRecoveryCopies((root / "none").string(), running).empty());
    EXPECT_TRUE(FindRecoveryCopies("", running).empty());
}

TEST_F(RecoveryTest, RemovingACopyNeverFollowsALink) {
    const fs::path outside = root / "outside";
    Write(outside / "keep.txt", "the person's file");
    const fs::path folder = Copy(EditorProcess{201, 1}, RecoveryInfo{});
    fs::create_directory_symlink(outside, folder / "link");
    std::string error;
    ASSERT_TRUE(RemoveRecoveryFolder(folder.string(), error)) << error;
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(Read(outside / "keep.txt"), "the person's file");
    // A link named like a folder, and a file, are not removed.
    fs::create_directory_symlink(outside, root / "202-1");
    EXPECT_FALSE(RemoveRecoveryFolder((root / "202-1").string(), error));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
    EXPECT_TRUE(RemoveRecoveryFolder((root / "gone").string(), error));
}

// A scene of two nodes that changes when told.
class CStandInScene : public IAutosaveSource {
public:
    bool EditUnderWay() override { return editing; }
    bool Modified(std::string& content) override {
        content = mark;
        return modified;
    }
    bool Snapshot(SceneSnapshot& snapshot, RecoveryInfo& info, std::string&) override {
        ++snapshots;
        snapshot.doc.nodes.resize(2);
        snapshot.doc.nodes[0].name = "a";
        snapshot.doc.nodes[1].name = "b" + mark;
        info.source = "/scenes/s.scene";
        info.undoSteps = 3;
        info.entities = 2;
        return true;
    }
    void Report(const std::string& status) override { reports.push_back(status); }

    bool editing = false, modified = false;
    std::string mark = "1";
    int snapshots = 0;
    std::vector<std::string> reports;
};

TEST_F(RecoveryTest, AutosaveWritesWhenDueChangedAndIdleOnly) {
    CStandInScene scene;
    const fs::path folder = root / "state" / "recovery" / "301-1";
    CAutosaver autosaver(scene, folder.string());
    autosaver.SetInterval(60);
    // Due 60 s after the first tick; an unchanged scene writes nothing.
    EXPECT_FALSE(autosaver.Tick(100));
    EXPECT_FALSE(autosaver.Tick(161));
    EXPECT_FALSE(fs::exists(folder));
    scene.modified = true;
    EXPECT_FALSE(autosaver.Tick(200)); // not due before 221
    // Due during an edit: written as soon as it ends.
    scene.editing = true;
    EXPECT_FALSE(autosaver.Tick(222));
    scene.editing = false;
    EXPECT_TRUE(autosaver.Tick(223));
    autosaver.WaitForWriter();
    ASSERT_EQ(scene.reports.size(), 1u);
    EXPECT_EQ(scene.reports[0].rfind("已自动保存 ", 0), 0u) << scene.reports[0];
    EXPECT_EQ(scene.reports[0].size(), std::string("已自动保存 12:34").size());
    std::string error;
    RecoveryInfo info;
    ASSERT_TRUE(ParseRecoveryInfo(Read(folder / kRecoveryInfoFile), info, error)) << error;
    EXPECT_EQ(info.source, "/scenes/s.scene");
    EXPECT_EQ(info.undoSteps, 3);
    EXPECT_NE(Read(folder / kRecoverySceneFile).find("name=\"b1\""), std::string::npos);

    // Nothing changed since: no copy. A change: the next one.
    EXPECT_FALSE(autosaver.Tick(300));
    EXPECT_EQ(scene.snapshots, 1);
    scene.mark = "2";
    EXPECT_TRUE(autosaver.Tick(400));
    autosaver.WaitForWriter();
    EXPECT_NE(Read(folder / kRecoverySceneFile).find("name=\"b2\""), std::string::npos);
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_NE(entry.path().filename().string().rfind(".gizmark-", 0), 0u) << entry.path();
    EXPECT_EQ(FindRecoveryCopies((root / "state" / "recovery").string(),
                                 [](const EditorProcess&) { return false; })
                  .size(),
              1u);

    // Saved: the copy is no longer offered (its info goes), and a clean exit removes the rest.
    scene.modified = false;
    EXPECT_FALSE(autosaver.Tick(500));
    EXPECT_FALSE(fs::exists(folder / kRecoveryInfoFile));
    EXPECT_TRUE(
        FindRecoveryCopies((root / "state" / "recovery").string(), [](const EditorProcess&) {
            return false;
        }).empty());
    ASSERT_TRUE(autosaver.RemoveCopy(error)) << error;
    EXPECT_FALSE(fs::exists(folder));

    // Off: never written.
    scene.modified = true;
    scene.mark = "3";
    autosaver.SetInterval(0);
    EXPECT_FALSE(autosaver.Tick(600));
    EXPECT_FALSE(autosaver.Tick(100000));
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(autosaver.CopiesWritten(), 2);
}

TEST_F(RecoveryTest, AFolderThatCannotBeMadeIsReportedNotFatal) {
    CStandInScene scene;
    scene.modified = true;
    Write(root / "blocked", "a file where the folder would go");
    CAutosaver autosaver(scene, (root / "blocked" / "301-1").string());
    autosaver.SetInterval(1);
    autosaver.Tick(0);
    EXPECT_FALSE(autosaver.Tick(2));
    ASSERT_EQ(scene.reports.size(), 1u);
    EXPECT_EQ(scene.reports[0].rfind("自动保存失败：", 0), 0u) << scene.reports[0];
}

} // namespace
