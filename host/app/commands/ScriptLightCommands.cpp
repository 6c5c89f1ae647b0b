// Script commands for a light's properties: the engine light's values, and the side panel's
// light page driven the way a person does it, with real pointer and key events through the
// toolkit's input simulator (XTest).
//
//   light NAME               prints "NAME colour R G B power P range R constant C linear L
//                            quadratic Q", the engine light's values ("%.5f").
//   show light               one line per row of the light page, in row order: "light LABEL
//                            TEXT" for a number row, "light 颜色 RGB (r, g, b)" for the colour
//                            row; "light hidden" when the page is not shown. A case of the
//                            panel commands' "show".
//   prop LABEL [TEXT]        clicks the number row LABEL in its value column, selects its text,
//                            types TEXT one key at a time (the row's filter applies) and presses
//                            Enter, which commits the row.
//   propcolour INDEX|auto|cancel|custom R G B
//                            clicks the colour row, opens its colour picker and clicks cell
//                            INDEX (0-39), clicks "Automatic", presses Escape, or clicks
//                            "More Colors..." and answers the colour dialog with R G B (0-255).
//
// The host sees the page only as windows, found by the ids and names the plug-in publishes in
// AutomationContract.h: the tree, the window holding its rows, the rows named after their
// labels (the colour window's label being the colour row's text). The picker popup is the
// colour window's pop-up child and tells where its items are by their names; the native colour
// dialog is answered through the desktop platform helper.
#include "AutomationContract.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "DesktopPlatform.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "ScriptInput.h"
#include "ScriptWindows.h"
#include "CEditorScene.h"
#include "SceneEntity.h"

#include <OgreLight.h>

#include <wx/textctrl.h>
#include <wx/timer.h>

#include <cstdio>
#include <memory>
#include <ostream>

namespace {
using Args = CScriptRunner::Args;

// The window holding the light page's rows while the page is shown, else null.
wxWindow* ShownRows(CEditorSession& session) {
    session.ProcessEvents();
    CMainFrame* frame = session.Frame();
    wxWindow* tree =
        FindDescendant(frame ? frame->GetSideArea() : nullptr, automation::kLightTreeId);
    if (!tree || !tree->IsShownOnScreen())
        return nullptr;
    return FindNamedDescendant(tree, automation::kLightRowsName);
}

bool LightValues(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.size() != 1) {
        error = "usage: light NAME";
        return false;
    }
    SceneEntity* entity = EditorSession(runner).Scene().getSceneEntity(args[0]);
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
    wxWindow* rows = ShownRows(EditorSession(runner));
    if (!rows) {
        runner.Out() << "light hidden\n";
        return;
    }
    for (wxWindow* child : rows->GetChildren()) {
        const std::string name = Utf8(child->GetName());
        if (auto* edit = wxDynamicCast(child, wxTextCtrl))
            runner.Out() << "light " << name << " " << Utf8(edit->GetValue()) << "\n";
        else if (name == automation::kLightColourRow)
            runner.Out() << "light " << name << " " << Utf8(child->GetLabel()) << "\n";
    }
}

bool Prop(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.empty()) {
        error = "usage: prop LABEL [TEXT]";
        return false;
    }
    CEditorSession& session = EditorSession(runner);
    auto* edit = wxDynamicCast(FindNamedChild(ShownRows(session), args[0]), wxTextCtrl);
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

// Answers the colour dialog when it comes up, from inside its own modal loop.
class CDialogAnswer : public wxTimer {
public:
    explicit CDialogAnswer(const wxColour& colour) : m_colour(colour) { Start(20); }
    void Notify() override {
        if (AnswerNativeColourDialog(m_colour)) {
            m_answered = true;
            Stop();
        }
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
    CEditorSession& session = EditorSession(runner);
    wxWindow* row = FindNamedChild(ShownRows(session), automation::kLightColourRow);
    if (!row) {
        error = "propcolour: the light page is not shown";
        return false;
    }
    // The press opens the row's editor under the pointer, the release on it the picker.
    const wxPoint value = Centre(row->GetScreenRect());
    wxWindow* popup = nullptr;
    if (!ClickAt(session, value) ||
        !PumpUntil(session, [&] { return (popup = FindShownPopup(row)) != nullptr; })) {
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
        std::string item = automation::kPickerAutomatic;
        if (custom)
            item = automation::kPickerCustom;
        else if (index >= 0)
            item = automation::kPickerCellPrefix + std::to_string(index);
        wxRect target;
        std::string why;
        if (!LocateNamedItem(popup, automation::kPickerItemQuery, item, target, why)) {
            error = "propcolour: " + why;
            return false;
        }
        std::unique_ptr<CDialogAnswer> answer;
        if (custom)
            answer = std::make_unique<CDialogAnswer>(wxColour(rgb[0], rgb[1], rgb[2]));
        if (!ClickAt(session, Centre(target))) {
            error = "propcolour: the click on the picker was not handled";
            return false;
        }
        if (custom && !PumpUntil(session, [&] { return answer->Answered(); })) {
            error = "propcolour: no colour dialog came up";
            return false;
        }
    }
    if (!PumpUntil(session, [&] { return FindShownPopup(row) == nullptr; })) {
        error = "propcolour: the colour picker did not close";
        return false;
    }
    return true;
}

bool ShowLightCase(CScriptRunner& r, const Args& args, std::string& error) {
    if (!args.empty()) {
        error = "usage: show light";
        return false;
    }
    ShowLight(r);
    return true;
}

} // namespace

void RegisterLightScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"light", LightValues}, {"prop", Prop}, {"propcolour", PropColour}});
    // A case of the panel set's "show".
    runner.AddCase("show", "light", ShowLightCase);
}
