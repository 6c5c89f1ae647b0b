// Script commands for a light's properties: the engine light's values, and the side panel's
// light page driven the way a person does it, with real pointer and key events through the
// toolkit's input simulator (XTest).
//
//   light NAME               prints "NAME colour R G B power P range R constant C linear L
//                            quadratic Q", the engine light's values ("%.5f").
//   show light               one line per row of the light page, in row order: "light LABEL
//                            TEXT" for a number row, "light 颜色 RGB (r, g, b)" for the colour
//                            row; "light hidden" when the page is not shown. ("show panel|bar"
//                            stay as they were.)
//   prop LABEL [TEXT]        clicks the number row LABEL in its value column, selects its text,
//                            types TEXT one key at a time (the row's filter applies) and presses
//                            Enter, which commits the row.
//   propcolour INDEX|auto|cancel|custom R G B
//                            clicks the colour row, opens its colour picker and clicks cell
//                            INDEX (0-39), clicks "Automatic", presses Escape, or clicks
//                            "More Colors..." and answers the colour dialog with R G B (0-255).
//
// The host sees the page only as windows: the tree is the side panel's child 8192, its rows are
// the editor windows in the list pane (child 30000), named after their labels, the colour
// window's label being the colour row's text. The picker popup is the colour window's pop-up
// child; its cells are found from its size, laid out as the picker lays them out (a button as
// high as (height - 100) / 2 above and below the 8 x 5 grid of 18-pixel cells with 2-pixel
// margins).
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "ScriptInput.h"
#include "ScriptRunner.h"
#include "CEditorScene.h"
#include "SceneEntity.h"

#include <OgreLight.h>

#include <wx/eventfilter.h>
#include <wx/popupwin.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <thread>

extern "C" {
// The native colour selection dialog behind the toolkit's colour dialog (GTK 3).
struct ScriptGdkRgba {
    double red, green, blue, alpha;
};
struct ScriptGList {
    void* data;
    ScriptGList* next;
    ScriptGList* prev;
};
ScriptGList* gtk_window_list_toplevels(void);
void g_list_free(ScriptGList* list);
unsigned long gtk_color_selection_dialog_get_type(void);
void* gtk_color_selection_dialog_get_color_selection(void* dialog);
void gtk_color_selection_set_current_rgba(void* selection, const ScriptGdkRgba* color);
int g_type_check_instance_is_a(void* instance, unsigned long type);
void gtk_dialog_response(void* dialog, int response);
int gtk_widget_get_mapped(void* widget);
}

namespace {
using Args = CScriptRunner::Args;

constexpr int kTreeId = 8192;
constexpr int kListPaneId = 30000;
constexpr int kGtkResponseOk = -5;
const char* const kColorLabel = "颜色";

// The light page's list pane while the page is shown, else null.
wxWindow* ShownRows(CEditorSession& session) {
    session.ProcessEvents();
    CMainFrame* frame = session.Frame();
    wxWindow* tree = FindDescendant(frame ? frame->GetSideArea() : nullptr, kTreeId);
    if (!tree || !tree->IsShownOnScreen())
        return nullptr;
    return FindDescendant(tree, kListPaneId);
}

wxWindow* FindRow(wxWindow* rows, const std::string& label) {
    if (!rows)
        return nullptr;
    const wxString name = wxString::FromUTF8(label);
    for (wxWindow* child : rows->GetChildren()) {
        if (child->GetName() == name)
            return child;
    }
    return nullptr;
}

std::string Utf8(const wxString& text) {
    const wxScopedCharBuffer buffer = text.utf8_str();
    return std::string(buffer.data(), buffer.length());
}

// A left click at a screen point; waits until the toolkit handled the press and then its
// release. A click on the spot of the one before waits out the double-click time first, so
// that it stays a click.
bool ClickAt(CEditorSession& session, const wxPoint& at) {
    static std::chrono::steady_clock::time_point lastTime;
    static wxPoint lastAt;
    const wxPoint d = at - lastAt;
    if (d.x * d.x + d.y * d.y < 100)
        PumpUntil(
            session, [] { return false; },
            static_cast<int>(
                std::max<long long>(0, 600 - std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 std::chrono::steady_clock::now() - lastTime)
                                                 .count())));
    if (CMainFrame* frame = session.Frame())
        frame->Raise();
    if (!MovePointer(session, at))
        return false;
    CInputWatch watch;
    wxUIActionSimulator().MouseClick();
    const bool handled =
        PumpUntil(session, [&] { return watch.SeenAfter(wxEVT_LEFT_DOWN, wxEVT_LEFT_UP); });
    lastTime = std::chrono::steady_clock::now();
    lastAt = at;
    return handled;
}

wxPoint Centre(const wxRect& r) {
    return wxPoint(r.x + r.width / 2, r.y + r.height / 2);
}

bool LightValues(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.size() != 1) {
        error = "usage: light NAME";
        return false;
    }
    SceneEntity* entity = runner.Session().Scene().getSceneEntity(args[0]);
    Ogre::Light* light = entity ? entity->GetOgreLight() : nullptr;
    if (!light) {
        error = "'" + args[0] + "' is not a light";
        return false;
    }
    const Ogre::ColourValue c = light->getDiffuseColour();
    char text[320];
    std::snprintf(text, sizeof text,
                  "colour %.5f %.5f %.5f power %.5f range %.5f constant %.5f linear %.5f "
                  "quadratic %.5f",
                  c.r, c.g, c.b, light->getPowerScale(), light->getAttenuationRange(),
                  light->getAttenuationConstant(), light->getAttenuationLinear(),
                  light->getAttenuationQuadric());
    runner.Out() << entity->GetName() << " " << text << "\n";
    return true;
}

void ShowLight(CScriptRunner& runner) {
    wxWindow* rows = ShownRows(runner.Session());
    if (!rows) {
        runner.Out() << "light hidden\n";
        return;
    }
    for (wxWindow* child : rows->GetChildren()) {
        const std::string name = Utf8(child->GetName());
        if (auto* edit = wxDynamicCast(child, wxTextCtrl))
            runner.Out() << "light " << name << " " << Utf8(edit->GetValue()) << "\n";
        else if (name == kColorLabel)
            runner.Out() << "light " << name << " " << Utf8(child->GetLabel()) << "\n";
    }
}

bool Prop(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.empty()) {
        error = "usage: prop LABEL [TEXT]";
        return false;
    }
    CEditorSession& session = runner.Session();
    auto* edit = wxDynamicCast(FindRow(ShownRows(session), args[0]), wxTextCtrl);
    if (!edit) {
        error = "prop: no shown number row '" + args[0] + "'";
        return false;
    }
    std::string text;
    for (size_t i = 1; i < args.size(); ++i)
        text += (i > 1 ? " " : "") + args[i];
    // The row's box lies hidden over its value column: the click lands on the list there, and
    // the press shows the box with the focus in it.
    const auto editing = [&] { return edit->IsShownOnScreen() && wxWindow::FindFocus() == edit; };
    if (!ClickAt(session, Centre(edit->GetScreenRect())) || !PumpUntil(session, editing)) {
        error = "prop: the row did not open its editor";
        return false;
    }
    edit->SelectAll();
    session.ProcessEvents();
    if (text.empty() && !PressKey(session, WXK_BACK)) {
        error = "prop: a key was not handled";
        return false;
    }
    for (const wxUniChar character : wxString::FromUTF8(text)) {
        const wxUint32 code = character.GetValue();
        if (code < 0x20 || code >= 0x7F) {
            error = "prop: only ASCII text can be typed";
            return false;
        }
        int key = 0;
        int modifiers = 0;
        KeyOf(static_cast<char>(code), key, modifiers);
        if (!PressKey(session, key, modifiers)) {
            error = "prop: a key was not handled";
            return false;
        }
    }
    // Enter commits the row and hands the focus back to the list.
    if (!PressKey(session, WXK_RETURN) ||
        !PumpUntil(session, [&] { return wxWindow::FindFocus() != edit; })) {
        error = "prop: Enter was not handled";
        return false;
    }
    return true;
}

wxPopupWindow* FindPopup(wxWindow* owner) {
    for (wxWindow* child : owner->GetChildren()) {
        auto* popup = wxDynamicCast(child, wxPopupWindow);
        if (popup && popup->IsShown())
            return popup;
    }
    return nullptr;
}

// Answers the colour dialog when it comes up, from inside its own modal loop.
class CDialogAnswer : public wxTimer {
public:
    explicit CDialogAnswer(const wxColour& colour) : m_colour(colour) { Start(20); }
    void Notify() override {
        // The native dialog is no toolkit top-level window: look among GTK's.
        ScriptGList* windows = gtk_window_list_toplevels();
        for (ScriptGList* item = windows; item; item = item->next) {
            void* dialog = item->data;
            if (!g_type_check_instance_is_a(dialog, gtk_color_selection_dialog_get_type()) ||
                !gtk_widget_get_mapped(dialog))
                continue;
            const ScriptGdkRgba rgba{m_colour.Red() / 255.0, m_colour.Green() / 255.0,
                                     m_colour.Blue() / 255.0, 1.0};
            gtk_color_selection_set_current_rgba(
                gtk_color_selection_dialog_get_color_selection(dialog), &rgba);
            gtk_dialog_response(dialog, kGtkResponseOk);
            m_answered = true;
            Stop();
            break;
        }
        g_list_free(windows);
    }
    bool Answered() const { return m_answered; }

private:
    wxColour m_colour;
    bool m_answered = false;
};

bool PropColour(CScriptRunner& runner, const Args& args, std::string& error) {
    const std::string usage = "usage: propcolour INDEX|auto|cancel|custom R G B";
    int index = -1;
    int rgb[3] = {0, 0, 0};
    const bool custom = !args.empty() && args[0] == "custom";
    if (custom) {
        if (args.size() != 4) {
            error = usage;
            return false;
        }
        for (int i = 0; i < 3; ++i) {
            if (!CScriptRunner::ParseInt(args[i + 1], rgb[i]) || rgb[i] < 0 || rgb[i] > 255) {
                error = "propcolour: bad colour component '" + args[i + 1] + "'";
                return false;
            }
        }
    } else if (args.size() != 1 ||
               (args[0] != "auto" && args[0] != "cancel" &&
                (!CScriptRunner::ParseInt(args[0], index) || index < 0 || index > 39))) {
        error = usage;
        return false;
    }
    CEditorSession& session = runner.Session();
    wxWindow* row = FindRow(ShownRows(session), kColorLabel);
    if (!row) {
        error = "propcolour: the light page is not shown";
        return false;
    }
    // The press opens the row's editor under the pointer, the release on it the picker.
    const wxPoint value = Centre(row->GetScreenRect());
    wxPopupWindow* popup = nullptr;
    if (!ClickAt(session, value) ||
        !PumpUntil(session, [&] { return (popup = FindPopup(row)) != nullptr; })) {
        error = "propcolour: the colour picker did not open";
        return false;
    }
    if (args[0] == "cancel") {
        // Keys go to the window under the pointer: leave the popup first.
        if (!MovePointer(session, value) || !PressKey(session, WXK_ESCAPE)) {
            error = "propcolour: Escape was not handled";
            return false;
        }
    } else {
        const wxRect whole(popup->ClientToScreen(wxPoint(0, 0)), popup->GetClientSize());
        const int button = (whole.height - 100) / 2;
        wxPoint target;
        if (args[0] == "auto") {
            target = wxPoint(whole.width / 2, 2 + button / 2);
        } else if (custom) {
            target = wxPoint(whole.width / 2, button + 98 + button / 2);
        } else {
            const int left = (whole.width - 144) / 2;
            target = wxPoint(left + (index % 8) * 18 + 9, button + 4 + (index / 8) * 18 + 9);
        }
        std::unique_ptr<CDialogAnswer> answer;
        if (custom)
            answer = std::make_unique<CDialogAnswer>(wxColour(rgb[0], rgb[1], rgb[2]));
        if (!ClickAt(session, whole.GetTopLeft() + target)) {
            error = "propcolour: the click on the picker was not handled";
            return false;
        }
        if (custom && !PumpUntil(session, [&] { return answer->Answered(); })) {
            error = "propcolour: no colour dialog came up";
            return false;
        }
    }
    if (!PumpUntil(session, [&] { return FindPopup(row) == nullptr; })) {
        error = "propcolour: the colour picker did not close";
        return false;
    }
    return true;
}

} // namespace

void RegisterLightScriptCommands(CScriptRunner& runner) {
    runner.AddCommand("light", LightValues);
    runner.AddCommand("prop", Prop);
    runner.AddCommand("propcolour", PropColour);
    // "show light" joins the panel group's "show".
    auto previous = std::make_shared<CScriptRunner::Handler>();
    *previous = runner.ReplaceCommand(
        "show", [previous](CScriptRunner& r, const Args& args, std::string& error) {
            if (args.size() == 1 && args[0] == "light") {
                ShowLight(r);
                return true;
            }
            if (*previous)
                return (*previous)(r, args, error);
            error = "usage: show light";
            return false;
        });
}
