// The person's settings file: what is written comes back byte for byte, a damaged or missing
// file costs only what cannot be read, and a folder that cannot be made is refused.
#include "UserFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {
std::string TempFolder() {
    char pattern[] = "/tmp/gizmark-userfiles-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return made ? made : "";
}
} // namespace

TEST(UserFiles, ValuesAndListsComeBackAsWritten) {
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    const std::string path = folder + "/a/b/settings";
    CUserSettings out(path);
    out.Set("autosave.seconds", "90");
    const std::string odd = "/tmp/x=y\\z\nnext\rline\t\xff.scene";
    out.SetList("recent", {odd, "/b.scene", "/c.scene"});
    std::string error;
    ASSERT_TRUE(out.Save(error)) << error;
    struct stat info;
    ASSERT_EQ(::stat((folder + "/a/b").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    CUserSettings in(path);
    ASSERT_TRUE(in.Load(error)) << error;
    EXPECT_EQ(in.GetNumber("autosave.seconds", 60, 0, 86400), 90);
    EXPECT_EQ(in.GetList("recent"), (std::vector<std::string>{odd, "/b.scene", "/c.scene"}));

    // A shorter list replaces the longer one whole.
    in.SetList("recent", {"/c.scene"});
    ASSERT_TRUE(in.Save(error)) << error;
    CUserSettings again(path);
    ASSERT_TRUE(again.Load(error));
    EXPECT_EQ(again.GetList("recent"), std::vector<std::string>{"/c.scene"});
    EXPECT_EQ(again.Get("autosave.seconds"), "90");
}

TEST(UserFiles, DamagedMissingAndUnmakeable) {
    const std::string folder = TempFolder();
    std::string error;
    CUserSettings missing(folder + "/none");
    EXPECT_TRUE(missing.Load(error));
    EXPECT_EQ(missing.Get("x", "fallback"), "fallback");

    {
        std::ofstream damaged(folder + "/damaged", std::ios::binary);
        damaged << "no equals sign\n=empty key\nautosave.seconds=12x\nlimit=99999999999999999999"
                   "\nrecent.1=/gap.scene\ngood=yes";
    }
    CUserSettings read(folder + "/damaged");
    ASSERT_TRUE(read.Load(error));
    EXPECT_EQ(read.Get("good"), "yes");
    EXPECT_EQ(read.GetNumber("autosave.seconds", 60, 0, 86400), 60);
    EXPECT_EQ(read.GetNumber("limit", 7, 0, 86400), 7);
    // A list is read up to its first gap.
    EXPECT_TRUE(read.GetList("recent").empty());

    {
        std::ofstream file(folder + "/file");
        file << "x";
    }
    CUserSettings blocked(folder + "/file/settings");
    blocked.Set("a", "b");
    EXPECT_FALSE(blocked.Save(error));
    EXPECT_NE(error.find("is not a folder"), std::string::npos) << error;
    EXPECT_FALSE(MakeUserFolder("", error));
}

TEST(UserFiles, FoldersFollowTheXdgRules) {
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    ::setenv("XDG_STATE_HOME", "relative/state", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UserConfigFolder(), "/cfg/gizmark");
    EXPECT_EQ(UserStateFolder(), "/home/someone/.local/state/gizmark");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("HOME");
    EXPECT_EQ(UserConfigFolder(), "");
    EXPECT_EQ(CUserSettings::DefaultPath(), "");
}
