// The transform bar's side of the plug-in: filling it from host notifications with the first
// selected entity's world values, the Enter check of the frame step, and applying what the
// user typed into it.
#include "CTranslate.h"

#include "CSceneManager.h"
#include "CTransformCommand.h"
#include "Interface.h"
#include "SceneEntity.h"
#include "TransformBarFields.h"

#include <wx/app.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

namespace {

// Whether Return was down at the previous frame: one press applies once, however long it is
// held. Module-wide, as the key is.
bool g_enterDown = false;

// The entity the bar shows: the one named first in the selection set; null for an empty
// selection or a name without an entity.
SceneEntity* ShownEntity(CSceneManager* scene) {
    if (!scene)
        return nullptr;
    const std::set<std::string>& names = scene->getSelectedEntities();
    return names.empty() ? nullptr : scene->getSceneEntity(*names.begin());
}

struct BarGroup {
    int kind;
    std::uint32_t lock; // the first entity's state bit that keeps the group from being applied
};
constexpr BarGroup kBarGroups[3] = {
    {KIND_POSITION, STATE_LOCK_POSITION},
    {KIND_ORIENTATION, STATE_LOCK_ORIENTATION},
    {KIND_SCALE, STATE_LOCK_SCALE},
};

} // namespace

void CTranslate::RefreshTransformBar(int code, void* data) {
    SceneEntity* shown = ShownEntity(m_sceneManager);
    if (!shown)
        return; // the bar keeps what it shows
    // A move, turn or scale of an entity the bar does not depend on leaves every text as it
    // is: skipping it shows the same as refilling. During a drag of many entities this keeps
    // the bar's cost to the one entity it shows.
    const bool oneEntityChanged =
        code == NOTIFY_MOVED || code == NOTIFY_SCALED || code == NOTIFY_ROTATED;
    if (oneEntityChanged && data && !WorldDependsOn(shown, data))
        return;
    m_transformBar.Fill(TransformBarFields::FormatWorld(shown->GetWorldPosition(),
                                                        shown->GetWorldOrientation(),
                                                        shown->GetWorldScale()),
                        shown->GetName());
}

void CTranslate::CheckEnter() {
    // The numeric keypad's Enter is the same key to the user.
    const bool down = wxGetKeyState(WXK_RETURN) || wxGetKeyState(WXK_NUMPAD_ENTER);
    if (!down) {
        g_enterDown = false;
        return;
    }
    if (g_enterDown)
        return;
    g_enterDown = true;
    // The key state is the whole display's: Return typed into another program, or into another
    // window of the editor, is not meant for the bar. A press counts only when it begins while
    // the editor is the active application and the keyboard focus is in the bar.
    wxWindow* bar = m_transformBar.GetWindow();
    wxTopLevelWindow* frame =
        bar ? wxDynamicCast(wxGetTopLevelParent(bar), wxTopLevelWindow) : nullptr;
    if (!wxTheApp || !wxTheApp->IsActive() || !frame || !frame->IsActive() ||
        !m_transformBar.HasFocus())
        return;
    ApplyTransformBar();
}

void CTranslate::ApplyTransformBar() {
    if (!m_transformBar.GetWindow())
        return;
    // Only what the user edited counts: a field untouched since the bar filled it is not
    // applied, so the two-decimal texts never round the entity, and several selected
    // entities keep their own values in the components nobody typed.
    const TransformBarFields::BarChanges changes =
        TransformBarFields::ReadChanges(m_transformBar.ReadTexts(), m_transformBar.GetEdited());
    if (!ShownEntity(m_sceneManager))
        return;
    IToolManager* notifier = m_host ? m_host->toolManager() : nullptr;
    CUndoRedoManager* undo = m_host ? m_host->undoManager() : nullptr;
    for (int group = 0; group < 3; ++group) {
        const TransformBarFields::GroupChange& change = changes.groups[group];
        if (!change.mask)
            continue;
        // The lock bits are read on the first entity before each group, as it may change.
        SceneEntity* first = ShownEntity(m_sceneManager);
        if (!first || (first->GetState() & kBarGroups[group].lock))
            continue;
        TransformSteps::ApplyWorldTransform(m_sceneManager, notifier, undo, change.value,
                                            change.mask, kBarGroups[group].kind);
    }
    // A refused field shows the value the entity kept.
    if (changes.refused)
        RefreshTransformBar();
}
