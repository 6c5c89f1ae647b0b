// The status line's texts: the numbers a script reads back (fixed decimals, no "-0.000" for a
// change too small to show), the snap mark, and the locked entity named from the selection.
#include "TransformFixture.h"

#include "StatusText.h"

namespace {

using Ogre::Vector3;

// A view host that keeps the last status text.
class StatusViews : public IViewHost {
public:
    void removeMenu(IPluginBase*, wxMenu*, int) override {}
    void removeToolStrip(IPluginBase*, wxToolBar*) override {}
    IView* view(int) override { return nullptr; }
    void redraw() override {}
    void setCursor(const wxCursor*) override {}
    void setSidePanel(CSizeControlChild*) override {}
    void setStatusText(const char* utf8) override { text = utf8; }
    std::string text;
};

TEST(StatusTextFormat, DragTextsShowTheChangeSinceThePress) {
    EXPECT_EQ(StatusText::Move(Vector3(1.25f, 0, 0), false), "移动 Δ 1.250, 0.000, 0.000");
    // A component rounding to zero reads 0.000, not -0.000.
    EXPECT_EQ(StatusText::Move(Vector3(-0.0004f, -2.5f, 0.0f), true),
              "移动 Δ 0.000, -2.500, 0.000（吸附）");
    EXPECT_EQ(StatusText::Rotate(0.5235988f, false), "旋转 30.0°");
    EXPECT_EQ(StatusText::Rotate(-0.0001f, false), "旋转 0.0°");
    EXPECT_EQ(StatusText::Rotate(-0.2617994f, true), "旋转 -15.0°（吸附）");
    EXPECT_EQ(StatusText::Scale(1.25f, false), "缩放 ×1.25");
    EXPECT_EQ(StatusText::Scale(0.5f, true), "缩放 ×0.50（吸附）");
}

using StatusTextTest = TransformFixture;

TEST_F(StatusTextTest, NamesTheFirstLockedEntityOfTheSelection) {
    StatusViews views;
    host->m_views = &views;
    Select({"a", "b"});
    EXPECT_EQ(StatusText::FirstLockedSelected(Scene()), "");
    EXPECT_FALSE(StatusText::ShowLockedSelected(host.get(), Scene()));
    EXPECT_EQ(views.text, "");
    b->SetTransformEnabled(false);
    EXPECT_EQ(StatusText::FirstLockedSelected(Scene()), "b");
    EXPECT_TRUE(StatusText::ShowLockedSelected(host.get(), Scene()));
    EXPECT_EQ(views.text, "已拒绝：b 已锁定，变换未改变");
    // Without a scene or a host nothing is named or shown, and nothing fails.
    EXPECT_EQ(StatusText::FirstLockedSelected(nullptr), "");
    StatusText::Show(nullptr, "x");
    host->m_views = nullptr;
}

} // namespace
