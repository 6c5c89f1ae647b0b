#include "EditOperations.h"

#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorUndoManager.h"
#include "EditCommands.h"

#include <wx/event.h>

namespace EditOps {

namespace {

bool Do(CEditorHost& host, const char* name, CommandParams params) {
    const bool done = host.Undo().doCommand(name, &params);
    host.redraw();
    return done;
}

} // namespace

int DeleteSelection(CEditorHost& host) {
    const int before = host.Scene().GetEntityCount();
    Do(host, "DeleteEntity", {});
    return before - host.Scene().GetEntityCount();
}

int SelectAll(CEditorHost& host) {
    CEditorScene& scene = host.Scene();
    std::string list;
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
        if (e->IsVisible() && scene.canSelect(e)) {
            list += e->GetName();
            list += ' ';
        }
    if (list.empty())
        return 0;
    Do(host, "SelectEntity", {{"entity", list}, {"mode", "exclude"}});
    return static_cast<int>(scene.getSelectedEntities().size());
}

int HideSelection(CEditorHost& host) {
    const int before = static_cast<int>(host.Scene().getSelectedEntities().size());
    if (!Do(host, "HideEntity", {{"mode", "hide"}}))
        return 0;
    return before - static_cast<int>(host.Scene().getSelectedEntities().size());
}

int ShowAll(CEditorHost& host) {
    int hidden = 0;
    CEditorScene& scene = host.Scene();
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
        hidden += e->IsVisible() ? 0 : 1;
    return hidden > 0 && Do(host, "HideEntity", {{"mode", "showall"}}) ? hidden : 0;
}

std::string Rename(CEditorHost& host, const std::string& oldName, const std::string& newName) {
    std::string refusal = RenameRefusal(host.Scene(), oldName, newName);
    if (!refusal.empty() || oldName == newName)
        return refusal;
    if (!Do(host, "RenameEntity", {{"entity", oldName}, {"name", newName}}))
        return "无法重命名";
    return std::string();
}

int Duplicate(CEditorHost& host) {
    const int before = host.Scene().GetEntityCount();
    host.SendWindowCommand(ID_EDIT_COPY_COMMAND);
    return host.Scene().GetEntityCount() - before;
}

void Select(CEditorHost& host, const std::string& name, const char* mode) {
    Do(host, "SelectEntity", {{"entity", name}, {"mode", mode}});
}

const char* ClickMode(bool ctrl, bool shift) {
    return ctrl ? "add" : shift ? "sub" : "exclude";
}

bool HandleKey(CEditorHost& host, const wxKeyEvent& event) {
    const int code = event.GetKeyCode();
    const int modifiers = event.GetModifiers();
    if (code == WXK_DELETE && modifiers == wxMOD_NONE) {
        DeleteSelection(host);
        return true;
    }
    if (code == 'A' && modifiers == wxMOD_CONTROL) {
        SelectAll(host);
        return true;
    }
    if (code == 'H' && modifiers == wxMOD_NONE) {
        HideSelection(host);
        return true;
    }
    if (code == 'H' && modifiers == wxMOD_ALT) {
        ShowAll(host);
        return true;
    }
    if (code == 'D' && (modifiers == wxMOD_CONTROL || modifiers == wxMOD_SHIFT)) {
        Duplicate(host);
        return true;
    }
    return false;
}

} // namespace EditOps
