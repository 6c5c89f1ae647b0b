// The transform bar's side of the plug-in: filling it from host notifications with the first
// selected entity's world values, the Enter check of the frame step, and applying what the
// user typed into it.
#include "CTranslate.h"

#include "CSceneManager.h"
#include "CTransformCommit.h"
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
    // The bar's groups are the channels, in the table's order.
    for (const TransformChannel& channel : kTransformChannels) {
        const TransformBarFields::GroupChange& change = changes.groups[channel.slot];
        if (!change.mask)
            continue;
        // The lock bits are read on the first entity before each group, as it may change.
        SceneEntity* first = ShownEntity(m_sceneManager);
        if (!first || (first->GetState() & channel.barLock))
            continue;
        // One undo step per group, holding every entity's whole local value from before it.
        CTransformCommit commit(m_host);
        commit.Begin(channel.kind, AXIS_ALL);
        if (commit.SetWorldValues(change.value, change.mask))
            commit.Push();
    }
    // A refused field shows the value the entity kept.
    if (changes.refused)
        RefreshTransformBar();
}
