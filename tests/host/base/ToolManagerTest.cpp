#include "IPluginBase.h"
#include "CPluginRegistry.h"
#include "CToolManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> g_events;

class CRecordingPlugin : public IPluginBase {
public:
    explicit CRecordingPlugin(std::string name) : m_name(std::move(name)) {}
    int OnNotify(int code, int arg, void*) override {
        g_events.push_back(m_name + ":" + std::to_string(code) + "/" + std::to_string(arg));
        return 0;
    }

private:
    std::string m_name;
};

class ToolManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        registry.registerPlugin(&a, 2);
        registry.registerPlugin(&b, 2);
    }
    CPluginRegistry registry;
    CToolManager tools{registry};
    CRecordingPlugin a{"a"};
    CRecordingPlugin b{"b"};
};
} // namespace

TEST(PluginRegistryTest, RefusesNullAndDuplicatesAndKeepsOrder) {
    CPluginRegistry registry;
    CRecordingPlugin a("a"), b("b");
    EXPECT_EQ(registry.registerPlugin(nullptr, 2), 0);
    EXPECT_EQ(registry.registerPlugin(&a, 2), 1);
    EXPECT_EQ(registry.registerPlugin(&b, 7), 1);
    EXPECT_EQ(registry.registerPlugin(&a, 2), 0);
    ASSERT_EQ(registry.plugins().size(), 2u);
    EXPECT_EQ(registry.plugins()[0], &a);
    EXPECT_EQ(registry.kindOf(&b), 7);
    registry.unregisterPlugin(&a);
    registry.unregisterPlugin(&a); // second time: nothing
    EXPECT_FALSE(registry.contains(&a));
    EXPECT_EQ(registry.kindOf(&b), 7);
}

TEST_F(ToolManagerTest, NumbersToolsPerPluginAndCommand) {
    int t0 = tools.AddToolCommand(&a, 40003);
    int t1 = tools.AddToolCommand(&a, 40002);
    int t2 = tools.AddToolCommand(&b, 40003);
    EXPECT_EQ(t0, 0);
    EXPECT_EQ(t1, 1);
    EXPECT_EQ(t2, 2);
    EXPECT_EQ(tools.AddToolCommand(&a, 40002), t1); // same pair, same number
    EXPECT_EQ(tools.AddToolCommand(nullptr, 1), -1);
    EXPECT_EQ(tools.toolForCommand(&b, 40003), t2);
    EXPECT_EQ(tools.toolForCommand(&b, 40002), -1);
    EXPECT_EQ(tools.toolForCommand(nullptr, 40003), -1);
}

TEST_F(ToolManagerTest, SwitchSendsEngageAndReleaseInOrder) {
    int a0 = tools.AddToolCommand(&a, 1);
    int a1 = tools.AddToolCommand(&a, 2);
    int b0 = tools.AddToolCommand(&b, 1);

    tools.switchTool(a0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"a:71/1", "a:10/1"}));
    g_events.clear();
    tools.switchTool(a1); // same plug-in: stays engaged, nothing sent
    tools.switchTool(a1);
    EXPECT_TRUE(g_events.empty());
    EXPECT_EQ(tools.CurrentTool(), a1);

    tools.switchTool(b0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"a:72/0", "a:10/0", "b:71/1", "b:10/1"}));
    g_events.clear();
    tools.switchTool(99); // unknown tool: nothing changes
    EXPECT_EQ(tools.CurrentTool(), b0);
    tools.switchTool(-1);
    EXPECT_EQ(g_events, (std::vector<std::string>{"b:72/0", "b:10/0"}));
    EXPECT_EQ(tools.CurrentPlugin(), nullptr);
}

TEST_F(ToolManagerTest, NotifyReachesEveryPluginAndUnregisterDropsTools) {
    tools.notify(50, 1, nullptr);
    EXPECT_EQ(g_events, (std::vector<std::string>{"a:50/1", "b:50/1"}));

    int b0 = tools.AddToolCommand(&b, 1);
    tools.switchTool(b0);
    g_events.clear();
    registry.unregisterPlugin(&b);
    EXPECT_EQ(tools.CurrentTool(), -1);
    EXPECT_EQ(tools.toolForCommand(&b, 1), -1);
    tools.switchTool(b0); // the tool of a plug-in that left is gone
    tools.notify(51, 1, nullptr);
    EXPECT_EQ(g_events, (std::vector<std::string>{"a:51/1"}));
}

TEST_F(ToolManagerTest, ReloadedPluginsReuseTheNumbersOfThoseThatLeft) {
    // A module loaded and unloaded many times: its tools must not pile up in the host.
    const int b0 = tools.AddToolCommand(&b, 1);
    for (int cycle = 0; cycle < 50; ++cycle) {
        CRecordingPlugin loaded("loaded");
        registry.registerPlugin(&loaded, 2);
        const int t0 = tools.AddToolCommand(&loaded, 40003);
        const int t1 = tools.AddToolCommand(&loaded, 40002);
        ASSERT_EQ(t0, 1) << cycle;
        ASSERT_EQ(t1, 2) << cycle;
        tools.switchTool(t1);
        EXPECT_EQ(tools.CurrentPlugin(), &loaded);
        registry.unregisterPlugin(&loaded);
        EXPECT_EQ(tools.CurrentTool(), -1);
        EXPECT_EQ(tools.PluginOfTool(t0), nullptr);
    }
    EXPECT_EQ(tools.ToolCount(), 3);
    // The tools of a plug-in that stayed keep their numbers.
    EXPECT_EQ(tools.toolForCommand(&b, 1), b0);
    // A freed number is taken by the next tool of any plug-in, lowest first.
    EXPECT_EQ(tools.AddToolCommand(&a, 7), 1);
    EXPECT_EQ(tools.AddToolCommand(&a, 8), 2);
    EXPECT_EQ(tools.AddToolCommand(&a, 9), 3);
}
