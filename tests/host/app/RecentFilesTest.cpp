// The rules of File › 最近打开's list: newest first, one entry per file, at most ten, missing
// files taken out, and paths the list could not give back intact never kept, whether they come
// from an open or from a damaged settings file. Also the command line's file argument.
#include "EditorOptions.h"
#include "RecentFiles.h"
#include "UserFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {
using Paths = std::vector<std::string>;

std::string TempFolder() {
    char pattern[] = "/tmp/gizmark-recent-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return made ? made : "";
}

bool Add(CRecentFiles& list, const std::string& path, const std::string& folder = "/work") {
    std::string why;
    return list.Add(path, why, folder);
}

bool Parse(std::vector<std::string> words, EditorOptions& options, std::string& error) {
    words.insert(words.begin(), "scene-editor");
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    return ParseEditorOptions(int(argv.size()), argv.data(), options, error);
}
} // namespace

TEST(RecentFiles, NewestFirstOnceEachCappedAtTen) {
    CRecentFiles list;
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(Add(list, "/s/" + std::to_string(i) + ".scene"));
    ASSERT_EQ(list.Entries().size(), CRecentFiles::kMaxEntries);
    EXPECT_EQ(list.Entries().front(), "/s/11.scene");
    EXPECT_EQ(list.Entries().back(), "/s/2.scene"); // 0 and 1 dropped off

    // Again: to the top, not twice, nothing else lost; the same file written another way too.
    ASSERT_TRUE(Add(list, "/s/5.scene"));
    ASSERT_TRUE(Add(list, "/s/x/../7.scene"));
    ASSERT_TRUE(Add(list, "4.scene", "/s/./"));
    EXPECT_EQ(list.Entries(),
              (Paths{"/s/4.scene", "/s/7.scene", "/s/5.scene", "/s/11.scene", "/s/10.scene",
                     "/s/9.scene", "/s/8.scene", "/s/6.scene", "/s/3.scene", "/s/2.scene"}));
    const std::set<std::string> unique(list.Entries().begin(), list.Entries().end());
    EXPECT_EQ(unique.size(), list.Entries().size());
}

TEST(RecentFiles, HostilePathsAreRefusedAndLeaveTheListAsItWas) {
    CRecentFiles list(Paths{"/a.scene"});
    const std::string tooLong = "/" + std::string(CRecentFiles::kMaxPathBytes, 'x');
    for (const std::string& bad :
         {std::string(), std::string("/new\nline.scene"), std::string("/tab\t.scene"),
          std::string("/del\x7f.scene"), std::string("/bad\xff\xfe.scene"),
          std::string("/overlong\xc0\xaf.scene"), std::string("/surrogate\xed\xa0\x80.scene"),
          std::string("/cut\xe5\x9c.scene"), tooLong, std::string("/"), std::string("/..")}) {
        std::string why;
        EXPECT_FALSE(list.Add(bad, why, "/")) << bad;
        EXPECT_FALSE(why.empty()) << bad;
        EXPECT_EQ(list.Entries(), Paths{"/a.scene"}) << bad;
    }
    // Valid UTF-8 (Chinese), blanks, '&' and '=' are kept as they are.
    ASSERT_TRUE(Add(list, "/场景 & 关卡/a=b.scene"));
    EXPECT_EQ(list.Entries().front(), "/场景 & 关卡/a=b.scene");
}

TEST(RecentFiles, MissingFilesAreTakenOutNewestFirst) {
    CRecentFiles list(Paths{"/a", "/gone1", "/b", "/gone2"});
    const Paths missing = list.RemoveMissing(
        [](const std::string& p) { return p.find("gone") == std::string::npos; });
    EXPECT_EQ(missing, (Paths{"/gone1", "/gone2"}));
    EXPECT_EQ(list.Entries(), (Paths{"/a", "/b"}));
    EXPECT_TRUE(list.Remove("/a"));
    EXPECT_FALSE(list.Remove("/a"));
    EXPECT_EQ(list.Entries(), Paths{"/b"});
}

TEST(RecentFiles, RealFilesOnDiskAndTheSettingsFile) {
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    const std::string kept = folder + "/kept.scene", gone = folder + "/gone.scene";
    std::ofstream(kept) << "<scene/>";
    std::ofstream(gone) << "<scene/>";
    EXPECT_TRUE(IsRegularFile(kept));
    EXPECT_FALSE(IsRegularFile(folder)); // a folder is no scene
    EXPECT_FALSE(IsRegularFile(folder + "/never"));

    CRecentFiles list;
    ASSERT_TRUE(Add(list, gone));
    ASSERT_TRUE(Add(list, kept));
    CUserSettings settings(folder + "/config/settings");
    settings.Set("autosave.seconds", "30"); // another setting stays as it was
    list.Store(settings);
    std::string error;
    ASSERT_TRUE(settings.Save(error)) << error;
    ASSERT_EQ(std::remove(gone.c_str()), 0);

    CUserSettings again(folder + "/config/settings");
    ASSERT_TRUE(again.Load(error)) << error;
    CRecentFiles read;
    read.Load(again);
    EXPECT_EQ(read.Entries(), (Paths{kept, gone}));
    EXPECT_EQ(read.RemoveMissing(IsRegularFile), Paths{gone});
    EXPECT_EQ(read.Entries(), Paths{kept});
    EXPECT_EQ(again.Get("autosave.seconds"), "30");
}

TEST(RecentFiles, ADamagedSettingsFileLosesOnlyTheBadEntries) {
    // Hand-edited or damaged: relative, duplicate, control characters, too many.
    Paths stored = {"relative.scene", "/a.scene", "/a.scene", "/b/../a.scene",
                    "/ok\x01.scene",  "",         "/b.scene"};
    for (int i = 0; i < 20; ++i)
        stored.push_back("/many/" + std::to_string(i));
    const CRecentFiles list(stored);
    ASSERT_EQ(list.Entries().size(), CRecentFiles::kMaxEntries);
    EXPECT_EQ(list.Entries()[0], "/a.scene");
    EXPECT_EQ(list.Entries()[1], "/b.scene");
    EXPECT_EQ(list.Entries()[2], "/many/0");
}

TEST(EditorCommandLine, TheFileArgumentOpensAScenesOrImportsAModel) {
    EditorOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"level.scene"}, options, error)) << error;
    EXPECT_EQ(options.sceneFile, "level.scene");
    EXPECT_TRUE(options.importFile.empty());

    for (const char* model :
         {"a.glb", "b.GLTF", "dir.v2/c.Obj", "d.fbx", "e.dae", "f.ply", "g.stl"}) {
        EditorOptions o;
        ASSERT_TRUE(Parse({model, "--views", "4"}, o, error)) << model << ": " << error;
        EXPECT_EQ(o.importFile, model);
        EXPECT_TRUE(o.sceneFile.empty()) << model;
    }
    // Anything else is a scene, read by its content (the reader says why it cannot be).
    EditorOptions other;
    ASSERT_TRUE(Parse({"obj.d/level"}, other, error)) << error;
    EXPECT_EQ(other.sceneFile, "obj.d/level");

    EditorOptions two;
    EXPECT_FALSE(Parse({"a.scene", "b.glb"}, two, error));
    EXPECT_NE(error.find("only one file"), std::string::npos) << error;
    EditorOptions both;
    EXPECT_FALSE(Parse({"a.scene", "--scene", "b.scene"}, both, error));
    EditorOptions unknown;
    EXPECT_FALSE(Parse({"-x"}, unknown, error));
}

TEST(EditorCommandLine, DemoFolderIsOptionalAndVersion) {
    EditorOptions bare;
    std::string error;
    ASSERT_TRUE(Parse({"--demo"}, bare, error)) << error;
    EXPECT_TRUE(bare.demo);
    EXPECT_TRUE(bare.demoDir.empty());
    EditorOptions followed;
    ASSERT_TRUE(Parse({"--demo", "--views", "4"}, followed, error)) << error;
    EXPECT_TRUE(followed.demo);
    EXPECT_TRUE(followed.demoDir.empty());
    EXPECT_EQ(followed.views, 4);
    EditorOptions named;
    ASSERT_TRUE(Parse({"--demo", "out"}, named, error)) << error;
    EXPECT_EQ(named.demoDir, "out");
    EditorOptions scripted;
    EXPECT_FALSE(Parse({"--demo", "--script", "s"}, scripted, error));
    EditorOptions version;
    ASSERT_TRUE(Parse({"--version"}, version, error)) << error;
    EXPECT_TRUE(version.version);
    EXPECT_FALSE(IsModelFileName("model.glb/scene"));
    EXPECT_FALSE(IsModelFileName("glb"));
}
