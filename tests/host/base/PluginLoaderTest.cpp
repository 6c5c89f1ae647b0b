#include "IPluginBase.h"
#include "CEditorUndoManager.h"
#include "CPluginLoader.h"
#include "CPluginRegistry.h"
#include "HostFakes.h"
#include "HostInstance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Records the unload notifications the test modules send, in order.
class CRecordingTools : public CQuietTools {
public:
    void notify(int code, int, void* data) override {
        if (code == NOTIFY_UNLOAD)
            unloaded.push_back(static_cast<const char*>(data));
    }
    std::vector<std::string> unloaded;
};

class CTestHost : public CPartsHost {
public:
    CTestHost() {
        m_registry = &registry;
        m_tools = &tools;
        m_undo = &undo;
    }

    CPluginRegistry registry;
    CRecordingTools tools;
    CEditorUndoManager undo;
};

std::vector<std::string> Names(const std::vector<IPluginBase*>& plugins) {
    std::vector<std::string> names;
    for (IPluginBase* p : plugins)
        names.push_back(p->GetPluginName());
    return names;
}
} // namespace

TEST(PluginLoaderTest, LoadsSortedSkipsJunkSurvivesThrowAndUnloadsInReverse) {
    CTestHost host;
    std::vector<std::string> seen;
    {
        CPluginLoader loader(host, &host.registry);
        loader.setOnLoaded([&](const CPluginLoader::Module& m) {
            seen.push_back(m.plugins.empty() ? "-" : m.plugins[0]->GetPluginName());
        });
        // How many modules had run DllUnloadPlugin each time the unloaded callback came.
        std::vector<size_t> unloadedBefore;
        loader.setOnUnloaded([&](const CPluginLoader::Module&) {
            unloadedBefore.push_back(host.tools.unloaded.size());
        });
        testing::internal::CaptureStderr();
        EXPECT_EQ(loader.LoadFolder(GIZMARK_TEST_PLUGIN_DIR), 3);
        std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_NE(messages.find("c_junk.so skipped"), std::string::npos) << messages;
        EXPECT_NE(messages.find("threw"), std::string::npos) << messages;

        // a_first, b_second, then d_throws (which registered before throwing).
        EXPECT_EQ(Names(host.registry.plugins()),
                  (std::vector<std::string>{"first", "second", "throws"}));
        EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "throws"}));
        ASSERT_EQ(loader.modules().size(), 3u);
        EXPECT_EQ(loader.modules()[0].loadResult, 1);

        loader.UnloadAll();
        EXPECT_EQ(host.tools.unloaded, (std::vector<std::string>{"throws", "second", "first"}));
        EXPECT_EQ(unloadedBefore, (std::vector<size_t>{1, 2, 3}));
        EXPECT_TRUE(host.registry.plugins().empty());
        EXPECT_TRUE(loader.modules().empty());
    }
    // The loader's destructor has nothing left to unload.
    EXPECT_EQ(host.tools.unloaded.size(), 3u);
}

TEST(PluginLoaderTest, MissingFolderAndFilesLoadNothing) {
    CTestHost host;
    CPluginLoader loader(host, &host.registry);
    testing::internal::CaptureStderr();
    EXPECT_EQ(loader.LoadFolder("/nonexistent/gizmark-plugins"), 0);
    EXPECT_FALSE(loader.LoadModule("/nonexistent/x.so"));
    EXPECT_FALSE(loader.LoadModule(std::string(GIZMARK_TEST_PLUGIN_DIR) + "/c_junk.so"));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(loader.modules().empty());
}

TEST(HostInstanceTest, GetInterfaceHinstanceAnswersTheSetHost) {
    CTestHost host;
    SetInterfaceHinstance(&host);
    EXPECT_EQ(GetInterfaceHinstance(nullptr), &host);
    SetInterfaceHinstance(nullptr);
    EXPECT_EQ(GetInterfaceHinstance(nullptr), nullptr);
}
