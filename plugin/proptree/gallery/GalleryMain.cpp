// proptree-gallery: a window with the property tree and every kind of row it offers.
//
//   proptree-gallery              shows the window
//   proptree-gallery --shots DIR  drives the window with real pointer and key events and writes
//                                 PNG screenshots of the main states into DIR, then exits
#include "CColorPickerPopup.h"
#include "CColorPropertyNode.h"
#include "CEditPropertyNode.h"
#include "CPropertyListPane.h"
#include "CPropertyTreeWnd.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <memory>
#include <vector>
#include <cstdio>
#include <dlfcn.h>
#include <functional>

using namespace proptree;

namespace {

constexpr int kTreeId = 8192;

void PrintAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                 const wxString& msg) {
    std::fprintf(stderr, "wx assertion %s:%d %s: %s %s\n", file.utf8_str().data(), line,
                 func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
}

const char* CodeName(int code) {
    switch (code) {
    case PROPN_INSERTED:
        return "inserted";
    case PROPN_DELETING:
        return "deleting";
    case PROPN_COMMITTED:
        return "committed";
    case PROPN_SELCHANGED:
        return "selection changed";
    case PROPN_EXPANDING:
        return "expanding";
    case PROPN_DIVIDERDRAG:
        return "divider drag";
    case PROPN_ACTIVATING:
        return "activating";
    case PROPN_VALUECHANGED:
        return "value changed";
    default:
        return "?";
    }
}

// The tree in a frame, with a status line that shows the last notification.
class CGalleryFrame : public wxFrame {
public:
    CGalleryFrame() : wxFrame(nullptr, wxID_ANY, "Property tree gallery") {
        auto* panel = new wxPanel(this);
        m_status = new wxStaticText(panel, wxID_ANY, "Ready");
        m_tree = new CPropertyTreeWnd();
        m_tree->Create(0, wxRect(0, 0, 420, 470), panel,
                       kStyleInfoPane | kStyleNoItemText | kStyleShadeMargin | kStyleShadeCategory,
                       kTreeId);
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(m_tree, 1, wxEXPAND | wxALL, 6);
        sizer->Add(m_status, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
        panel->SetSizer(sizer);
        SetClientSize(432, 500);
        m_tree->SetNotify(true, panel);
        panel->Bind(EVT_PROPTREE_NOTIFY, &CGalleryFrame::OnTreeNotify, this, kTreeId);
        Fill();
    }

    CPropertyTreeWnd* Tree() const { return m_tree; }
    CColorPropertyNode* AutoColorRow() const { return m_autoColor; }
    CEditPropertyNode* RangeRow() const { return m_range; }
    CColorPropertyNode* LastRow() const { return m_last; }

private:
    CEditPropertyNode* AddEdit(CPropertyNode* parent, const char* label, const char* info,
                               unsigned flags) {
        auto* node = new CEditPropertyNode();
        m_tree->InsertItem(node, parent);
        node->CreateEditWindow(flags);
        node->SetLabel(label);
        node->SetInfoText(info);
        return node;
    }

    CColorPropertyNode* AddColor(CPropertyNode* parent, const char* label, const char* info,
                                 unsigned flags, colorpick::ColorRef color,
                                 colorpick::ColorRef automatic) {
        auto* node = new CColorPropertyNode();
        m_tree->InsertItem(node, parent);
        node->CreateColorWindow(flags, color, automatic);
        node->SetLabel(label);
        node->SetInfoText(info);
        return node;
    }

    void Fill() {
        auto* light = m_tree->InsertItem(new CPropertyNode());
        light->SetLabel("灯光渲染属性");
        light->SetInfoText("设置灯光和渲染有关的属性");
        AddColor(light, "颜色", "灯光的漫反射颜色。", 0, colorpick::MakeColorRef(255, 127, 0), 0);
        m_autoColor = AddColor(light, "Specular colour",
                               "Hex view of a colour that equals the automatic colour.", kColorHex,
                               colorpick::MakeColorRef(255, 255, 255),
                               colorpick::MakeColorRef(255, 255, 255));
        AddEdit(light, "PowerScale", "Scales the light's power (real number).", kEditReal)
            ->SetValue(1.0f);
        m_range = AddEdit(light, "范围", "灯光照射的最大距离。", kEditReal);
        m_range->SetValue(2500.0f);
        auto* attenuation = new CPropertyNode();
        m_tree->InsertItem(attenuation, light);
        attenuation->SetLabel("衰减 Attenuation");
        attenuation->SetInfoText("Constant, linear and quadratic factors (collapsed group).");
        AddEdit(attenuation, "常数衰减", "Constant factor.", kEditReal)->SetValue(1.0f);
        AddEdit(attenuation, "线性衰减", "Linear factor.", kEditReal)->SetValue(0.0014f);
        AddEdit(attenuation, "平方衰减", "Quadratic factor.", kEditReal)->SetValue(0.000007f);
        light->Expand(true);

        auto* general = m_tree->InsertItem(new CPropertyNode());
        general->SetLabel("常规 General");
        general->SetInfoText("Name, counters and notes of the object.");
        AddEdit(general, "名称 Name", "The object's name, any text.", 0)->SetText("Lamp_01 灯");
        AddEdit(general, "Copies", "A whole number: digits only.", kEditWhole)->SetText("12");
        AddEdit(general, "Password", "Shown as one star per character.", kEditPassword)
            ->SetText("secret");
        AddEdit(general, "Notes", "Several lines of text; the row is 75 pixels high.",
                kEditMultiLine)
            ->SetText("First line of the notes\nsecond line\n第三行");
        AddEdit(general, "A label long enough to end with an ellipsis in its column",
                "Long labels are cut with an ellipsis.", 0)
            ->SetText("value");
        m_last = AddColor(general, "Outline", "A second colour row.", 0,
                          colorpick::MakeColorRef(0, 0, 139), 0);
        general->Expand(true);
        m_tree->SetColumn(static_cast<int>(m_tree->GetClientSize().x * 0.45f));
    }

    void OnTreeNotify(CPropertyTreeEvent& event) {
        const CPropertyNode* node = event.GetNode();
        m_status->SetLabel(wxString::Format("%s: %s", CodeName(event.GetCode()),
                                            node ? wxString::FromUTF8(node->GetLabel())
                                                 : wxString::FromUTF8("（无）")));
    }

    CPropertyTreeWnd* m_tree = nullptr;
    wxStaticText* m_status = nullptr;
    CColorPropertyNode* m_autoColor = nullptr;
    CEditPropertyNode* m_range = nullptr;
    CColorPropertyNode* m_last = nullptr;
};

// Reads the screen through GDK, which the toolkit has loaded already: wxScreenDC on GTK 3 may
// hand back an image of the screen taken earlier. Looked up at run time, so the gallery needs
// no GTK headers or libraries of its own.
wxImage GrabScreen(const wxRect& rect) {
    using RootFn = void* (*)();
    using GrabFn = void* (*)(void*, int, int, int, int);
    using IntFn = int (*)(const void*);
    using PixelsFn = unsigned char* (*)(const void*);
    using UnrefFn = void (*)(void*);
    auto root = reinterpret_cast<RootFn>(dlsym(RTLD_DEFAULT, "gdk_get_default_root_window"));
    auto grab = reinterpret_cast<GrabFn>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_from_window"));
    auto channels = reinterpret_cast<IntFn>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_n_channels"));
    auto stride = reinterpret_cast<IntFn>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_rowstride"));
    auto pixels = reinterpret_cast<PixelsFn>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_pixels"));
    auto unref = reinterpret_cast<UnrefFn>(dlsym(RTLD_DEFAULT, "g_object_unref"));
    if (!root || !grab || !channels || !stride || !pixels || !unref)
        return wxImage();
    void* pixbuf = grab(root(), rect.x, rect.y, rect.width, rect.height);
    if (!pixbuf)
        return wxImage();
    wxImage image(rect.width, rect.height);
    const int n = channels(pixbuf);
    const int rowStride = stride(pixbuf);
    const unsigned char* data = pixels(pixbuf);
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x) {
            const unsigned char* p = data + y * rowStride + x * n;
            image.SetRGB(x, y, p[0], p[1], p[2]);
        }
    unref(pixbuf);
    return image;
}

// Writes the screen area of `rect` (the frame and whatever pops up over it) as a PNG.
bool Shoot(const wxString& dir, const wxString& name, const wxRect& rect) {
    wxImage image = GrabScreen(rect);
    if (!image.IsOk()) {
        wxBitmap bitmap(rect.width, rect.height, 24);
        {
            wxScreenDC screen;
            wxMemoryDC memory(bitmap);
            memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
        }
        image = bitmap.ConvertToImage();
    }
    const wxString path = wxFileName(dir, name).GetFullPath();
    const bool ok = image.SaveFile(path, wxBITMAP_TYPE_PNG);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.utf8_str().data());
    return ok;
}

wxPoint RowPoint(CPropertyTreeWnd* tree, const CPropertyNode* node, bool value) {
    const wxRect row = node->GetRowRect();
    const int x = value ? tree->GetColumn() + 40 : row.x + 30;
    return tree->GetListPane()->ClientToScreen(wxPoint(x, row.y + row.height / 2));
}

// Drives the gallery through its states with real pointer and key events, one step per timer
// tick, so the toolkit paints between the steps from its own main loop.
class CShotRunner {
public:
    CShotRunner(CGalleryFrame* frame, const wxString& dir) : m_frame(frame), m_dir(dir) {
        CPropertyTreeWnd* tree = frame->Tree();
        auto area = [frame] {
            return frame->GetScreenRect().Inflate(20, 20).Intersect(
                wxRect(wxPoint(0, 0), wxGetDisplaySize()));
        };
        auto shoot = [this, area](const char* name) {
            return [this, area, name] { m_failures += !Shoot(m_dir, name, area()); };
        };
        auto moveTo = [this](std::function<wxPoint()> where) {
            return [this, where] { m_sim.MouseMove(where()); };
        };
        auto rangeLabel = [=] { return RowPoint(tree, frame->RangeRow(), false); };
        auto rangeValue = [=] { return RowPoint(tree, frame->RangeRow(), true); };
        auto divider = [=] {
            const wxRect row = frame->RangeRow()->GetRowRect();
            return tree->GetListPane()->ClientToScreen(
                wxPoint(tree->GetColumn(), row.y + row.height / 2));
        };
        auto autoValue = [=] { return RowPoint(tree, frame->AutoColorRow(), true); };
        auto lastValue = [=] { return RowPoint(tree, frame->LastRow(), true); };
        auto closePopups = [frame] {
            for (const CColorPropertyNode* node : {frame->AutoColorRow(), frame->LastRow()})
                if (CColorPickerPopup* popup = node->GetPopup())
                    popup->Cancel();
        };

        m_steps = {
            [tree] { tree->GetListPane()->SetFocus(); },
            shoot("tree.png"),
            moveTo(rangeLabel),
            [this] { m_sim.MouseClick(); },
            shoot("selected.png"),
            moveTo(rangeValue),
            [this] { m_sim.MouseClick(); },
            [this] { m_sim.Char('A', wxMOD_CONTROL); },
            [this] { m_sim.Text("12.5"); },
            shoot("editing.png"),
            [this] { m_sim.Char(WXK_RETURN); },
            moveTo(divider),
            [this] { m_sim.MouseDown(); },
            [this, divider] { m_sim.MouseMove(divider() + wxPoint(50, 10)); },
            [this, divider] { m_sim.MouseMove(divider() + wxPoint(60, 20)); },
            shoot("divider-drag.png"),
            [this] { m_sim.MouseUp(); },
            moveTo(autoValue),
            [this] { m_sim.MouseClick(); },
            [] {},
            shoot("popup.png"),
            closePopups,
            // Near the bottom of the screen the popup opens above its row.
            [frame, lastValue] {
                const int bottom = wxGetDisplaySize().y - 30;
                frame->Move(frame->GetPosition() + wxPoint(0, bottom - lastValue().y));
            },
            [] {},
            moveTo(lastValue),
            [this] { m_sim.MouseClick(); },
            [] {},
            [this, frame] {
                wxRect shot = frame->GetScreenRect();
                shot.y -= 170;
                shot.height += 170;
                shot = shot.Inflate(20, 0).Intersect(wxRect(wxPoint(0, 0), wxGetDisplaySize()));
                m_failures += !Shoot(m_dir, "popup-above.png", shot);
            },
            closePopups,
        };
    }

    // Runs the next step; false when all have run.
    bool Step() {
        if (m_next >= m_steps.size())
            return false;
        m_steps[m_next++]();
        return true;
    }

    int Failures() const { return m_failures; }

private:
    CGalleryFrame* m_frame;
    wxString m_dir;
    wxUIActionSimulator m_sim;
    std::vector<std::function<void()>> m_steps;
    std::size_t m_next = 0;
    int m_failures = 0;
};

class CGalleryApp : public wxApp {
public:
    bool OnInit() override {
        wxSetAssertHandler(&PrintAssert);
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxInitAllImageHandlers();
        for (int i = 1; i + 1 < argc; ++i)
            if (argv[i] == "--shots")
                m_shots = argv[i + 1];
        auto* frame = new CGalleryFrame();
        frame->Move(80, 60);
        frame->Show();
        if (!m_shots.empty()) {
            wxFileName::Mkdir(m_shots, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
            m_runner = std::make_unique<CShotRunner>(frame, m_shots);
            m_timer.Bind(wxEVT_TIMER, [this, frame](wxTimerEvent&) {
                if (m_runner->Step())
                    return;
                m_timer.Stop();
                m_result = m_runner->Failures() == 0 ? 0 : 1;
                frame->Destroy();
            });
            m_timer.Start(250);
        }
        return true;
    }

    int OnRun() override {
        const int code = wxApp::OnRun();
        return m_result != 0 ? m_result : code;
    }

private:
    wxString m_shots;
    wxTimer m_timer;
    std::unique_ptr<CShotRunner> m_runner;
    int m_result = 0;
};

} // namespace

wxIMPLEMENT_APP(CGalleryApp);
