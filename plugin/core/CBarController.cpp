// The transform bar installed in the host, refreshed from notifications, and applied as one
// undo step per edited group.
#include "CBarController.h"

#include "CSceneManager.h"
#include "CTransformCommit.h"
#include "Guarded.h"
#include "Interface.h"
#include "SceneEntity.h"
#include "StatusText.h"
#include "TransformBarFields.h"

#include <wx/app.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

namespace {

// The pane name the bar is docked under.
const char* const kPaneName = "GizmarkTransformBar";

// The entity the bar shows: the one named first in the selection set; null for an empty
// selection or a name without an entity.
SceneEntity* ShownEntity(CSceneManager* scene) {
    if (!scene)
        return nullptr;
    const std::set<std::string>& names = scene->getSelectedEntities();
    return names.empty() ? nullptr : scene->getSceneEntity(*names.begin());
}

} // namespace

CBarController::~CBarController() {
    // The bar's window goes with its frame: a bar still there has its frame still there.
    wxPanel* bar = m_bar.GetWindow();
    IViewHost* viewHost = m_host ? m_host->viewHost() : nullptr;
    if (bar && viewHost)
        viewHost->undockBottomBar(bar);
    m_bar.Destroy();
}

void CBarController::Install() {
    GuardedStep("creating the transform bar", [&] {
        if (m_bar.GetWindow())
            return;
        IViewHost* viewHost = m_host ? m_host->viewHost() : nullptr;
        wxWindow* parent = viewHost ? viewHost->mainWindow() : nullptr;
        if (!parent && wxTheApp)
            parent = wxTheApp->GetTopWindow();
        if (!m_bar.Create(parent))
            return;
        if (viewHost)
            viewHost->dockBottomBar(m_bar.GetWindow(), kPaneName);
    });
}

void CBarController::Refresh(int code, void* data) {
    SceneEntity* shown = ShownEntity(m_scene);
    if (!shown)
        return; // the bar keeps what it shows
    // A move, turn or scale of an entity the bar does not depend on leaves every text as it
    // is: skipping it shows the same as refilling. During a drag of many entities this keeps
    // the bar's cost to the one entity it shows.
    const bool oneEntityChanged =
        code == NOTIFY_MOVED || code == NOTIFY_SCALED || code == NOTIFY_ROTATED;
    if (oneEntityChanged && data && !WorldDependsOn(shown, data))
        return;
    m_bar.Fill(TransformBarFields::FormatWorld(
                   shown->GetWorldPosition(), shown->GetWorldOrientation(), shown->GetWorldScale()),
               shown->GetName());
}

void CBarController::CheckEnter() {
    // The numeric keypad's Enter is the same key to the user.
    const bool down = wxGetKeyState(WXK_RETURN) || wxGetKeyState(WXK_NUMPAD_ENTER);
    if (!down) {
        m_enterDown = false;
        return;
    }
    if (m_enterDown)
        return;
    m_enterDown = true;
    // The key state is the whole display's: Return typed into another program, or into another
    // window of the editor, is not meant for the bar. A press counts only when it begins while
    // the editor is the active application and the keyboard focus is in the bar.
    wxWindow* bar = m_bar.GetWindow();
    wxTopLevelWindow* frame =
        bar ? wxDynamicCast(wxGetTopLevelParent(bar), wxTopLevelWindow) : nullptr;
    if (!wxTheApp || !wxTheApp->IsActive() || !frame || !frame->IsActive() || !m_bar.HasFocus())
        return;
    Apply();
}

void CBarController::Apply() {
    if (!m_bar.GetWindow())
        return;
    // Only what the user edited counts: a field untouched since the bar filled it is not
    // applied, so the two-decimal texts never round the entity, and several selected
    // entities keep their own values in the components nobody typed.
    const TransformBarFields::BarChanges changes =
        TransformBarFields::ReadChanges(m_bar.ReadTexts(), m_bar.GetEdited());
    if (!ShownEntity(m_scene))
        return;
    // The bar's groups are the channels, in the table's order.
    std::string lockedName; // the first entity whose lock bits kept a group from applying
    bool applied = false;
    for (const TransformChannel& channel : kTransformChannels) {
        const TransformBarFields::GroupChange& change = changes.groups[channel.slot];
        if (!change.mask)
            continue;
        // The lock bits are read on the first entity before each group, as it may change.
        SceneEntity* first = ShownEntity(m_scene);
        if (first && (first->GetState() & channel.barLock))
            lockedName = first->GetName();
        if (!first || (first->GetState() & channel.barLock))
            continue;
        // One undo step per group, holding every entity's whole local value from before it.
        CTransformCommit commit(m_host);
        commit.Begin(channel.kind, AXIS_ALL);
        if (commit.SetWorldValues(change.value, change.mask))
            commit.Push();
        applied = true;
    }
    // A refused field shows the value the entity kept; the status line says why.
    if (changes.refused) {
        Refresh();
        StatusText::Show(m_host, StatusText::kNotANumber);
    } else if (!lockedName.empty()) {
        StatusText::Show(m_host, StatusText::Locked(lockedName));
    } else if (applied) {
        StatusText::ShowLockedSelected(m_host, m_scene);
    }
}
