#include "CMainFrame.h"

#include "CSizeControlChild.h"
#include "CEditorHost.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CSceneDocument.h"
#include "COutliner.h"
#include "EditOperations.h"
#include "PlaceOperations.h"
#include "CViewWindow.h"
#include "CSnapDialog.h"
#include "CToolStrips.h"
#include "CViewLayout.h"
#include "SelectionBoxes.h"
#include "CEditorEngine.h"
#include "CEditorUndoManager.h"
#include "CToolManager.h"
#include "EditorExport.h"
#include "EditorImport.h"
#include "WindowMessages.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/aui/auibar.h>
#include <wx/cursor.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>

CMainFrame::CMainFrame(CEditorHost& host, int viewCount, const wxSize& size)
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8("Gizmark 场景编辑器"), wxPoint(0, 0), size),
      m_host(host) {
    m_aui.SetManagedWindow(this);

    m_views = std::make_unique<CViewLayout>(*this, m_host, viewCount);
    m_strips = std::make_unique<CToolStrips>(*this, m_aui, m_host);

    m_sideArea = new wxPanel(this, wxID_ANY);
    m_sideArea->SetMinSize(wxSize(260, 100));
    m_sideArea->Bind(wxEVT_SIZE, &CMainFrame::OnSideAreaSize, this);

    m_outliner = new COutliner(this, m_host);

    m_aui.AddPane(m_views->Area(), wxAuiPaneInfo().Name("views").CenterPane());
    m_aui.AddPane(m_outliner, wxAuiPaneInfo()
                                  .Name("outliner")
                                  .Caption(wxString::FromUTF8("场景"))
                                  .Right()
                                  .Position(0)
                                  .MinSize(wxSize(260, 48))
                                  .BestSize(wxSize(280, 220))
                                  .CloseButton(false)
                                  .Floatable(false));
    m_aui.AddPane(m_sideArea, wxAuiPaneInfo()
                                  .Name("side")
                                  .Caption(wxString::FromUTF8("属性"))
                                  .Right()
                                  .Position(1)
                                  .MinSize(wxSize(260, 100))
                                  .BestSize(wxSize(280, 400))
                                  .CloseButton(false)
                                  .Floatable(false));
    BuildMenus();
    // Messages on the left, the selection count on the right.
    CreateStatusBar(2);
    const int widths[2] = {-1, 150};
    SetStatusWidths(2, widths);
    m_statusLine.Attach(GetStatusBar());
    SetStatusText(wxString::FromUTF8("就绪"));
    FlushStatusLine();
    m_aui.Update();

    m_timer.SetOwner(this, ID_RENDER_TIMER);
    Bind(wxEVT_TIMER, &CMainFrame::OnTimer, this, ID_RENDER_TIMER);
    Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        CallAfter(&CMainFrame::BalanceSidePanes);
    });
}

CMainFrame::~CMainFrame() {
    m_timer.Stop();
    DestroyViews();
    m_aui.UnInit();
}

void CMainFrame::BuildMenus() {
    auto* file = new wxMenu;
    file->Append(wxID_OPEN, wxString::FromUTF8("打开…\tCtrl+O"));
    file->Append(wxID_SAVE, wxString::FromUTF8("保存\tCtrl+S"));
    file->Append(wxID_SAVEAS, wxString::FromUTF8("另存为…\tCtrl+Shift+S"));
    file->Append(ID_IMPORT_MODEL, wxString::FromUTF8("导入…\tCtrl+I"));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { ImportFromMenu(*this, m_host); }, ID_IMPORT_MODEL);
    file->Append(ID_EXPORT_GLTF, wxString::FromUTF8("导出 glTF…"));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { ExportFromMenu(*this, m_host); }, ID_EXPORT_GLTF);
    for (int id : {int(wxID_OPEN), int(wxID_SAVE), int(wxID_SAVEAS)})
        Bind(wxEVT_MENU, &CMainFrame::OnFileMenu, this, id);
    auto* edit = new wxMenu;
    edit->Append(wxID_UNDO, wxString::FromUTF8("撤销\tCtrl+Z"));
    edit->Append(wxID_REDO, wxString::FromUTF8("重做\tCtrl+Y"));
    edit->AppendSeparator();
    edit->Append(wxID_COPY, wxString::FromUTF8("复制\tCtrl+C"));
    // The keys of these (Delete, Ctrl+A, H, Alt+H) belong to the views and the outliner only, not
    // to the whole window, where the panels' text fields need them.
    edit->Append(ID_DELETE, wxString::FromUTF8("删除"));
    edit->Append(ID_SELECT_ALL, wxString::FromUTF8("全选"));
    edit->AppendSeparator();
    edit->Append(ID_HIDE_SELECTION, wxString::FromUTF8("隐藏所选"));
    edit->Append(ID_SHOW_ALL, wxString::FromUTF8("全部显示"));
    auto* view = new wxMenu;
    view->Append(ID_FRAME_SELECTION, wxString::FromUTF8("框选所选\tF"));
    view->Append(ID_SNAP_SETTINGS, wxString::FromUTF8("吸附设置…"));
    m_views->AppendMenuItems(view);
    auto* tools = new wxMenu;
    tools->Append(ID_SELECT_PARENTS, wxString::FromUTF8("选择父物体"));
    PlaceOps::AppendMenus(tools, *this, m_host);
    auto* bar = new wxMenuBar;
    bar->Append(file, wxString::FromUTF8("文件(&F)"));
    bar->Append(edit, wxString::FromUTF8("编辑(&E)"));
    bar->Append(view, wxString::FromUTF8("视图(&V)"));
    bar->Append(tools, wxString::FromUTF8("工具(&T)"));
    SetMenuBar(bar);
    for (int id : {int(wxID_UNDO), int(wxID_REDO), int(wxID_COPY), int(ID_FRAME_SELECTION),
                   int(ID_SELECT_PARENTS), int(ID_SNAP_SETTINGS), int(ID_DELETE),
                   int(ID_SELECT_ALL), int(ID_HIDE_SELECTION), int(ID_SHOW_ALL)})
        Bind(wxEVT_MENU, &CMainFrame::OnMenu, this, id);
}

void CMainFrame::OnMenu(wxCommandEvent& event) {
    switch (event.GetId()) {
    case wxID_UNDO:
        m_host.Undo().undo();
        break;
    case wxID_REDO:
        m_host.Undo().redo();
        break;
    case wxID_COPY:
        m_host.SendWindowCommand(ID_EDIT_COPY_COMMAND);
        break;
    case ID_FRAME_SELECTION:
        m_host.FrameSelection(m_host.ActiveView());
        break;
    case ID_DELETE:
        EditOps::DeleteSelection(m_host);
        break;
    case ID_SELECT_ALL:
        EditOps::SelectAll(m_host);
        break;
    case ID_HIDE_SELECTION:
        EditOps::HideSelection(m_host);
        break;
    case ID_SHOW_ALL:
        EditOps::ShowAll(m_host);
        break;
    case ID_SELECT_PARENTS:
        m_host.SendMenuCommand(kSelectParentsCommand);
        break;
    case ID_SNAP_SETTINGS: {
        CSnapDialog dialog(this, m_host.snapSteps());
        if (dialog.ShowModal() == wxID_OK)
            m_host.SetSnapSteps(dialog.GetSteps());
        break;
    }
    }
    m_host.redraw();
}

bool CMainFrame::CreateViews(CEditorEngine& engine) {
    return m_views->CreateRenderWindows(engine);
}

void CMainFrame::DestroyViews() {
    m_views->DestroyRenderWindows();
}

CViewWindow* CMainFrame::GetViewWindow(int n) const {
    return m_views->Window(n);
}

CEditorView* CMainFrame::GetView(int n) const {
    return m_views->View(n);
}

int CMainFrame::ViewCount() const {
    return m_views->ShownCount();
}

void CMainFrame::SetViewCursor(const wxCursor* cursor) {
    m_views->SetCursor(cursor);
}

bool CMainFrame::SetViewLayout(int count) {
    return m_views->SetLayout(count);
}

void CMainFrame::SetGridShown(bool shown) {
    m_views->SetGridShown(shown);
}

bool CMainFrame::GridShown() const {
    return m_views->GridShown();
}

CSelectionBoxes* CMainFrame::SelectionBoxes() const {
    return m_views->SelectionBoxes();
}

void CMainFrame::SetViewsChangedHandler(std::function<void()> handler) {
    m_views->SetChangedHandler(std::move(handler));
}

wxAuiToolBar* CMainFrame::BuildToolStrip(IPluginBase* plugin) {
    return m_strips->Build(plugin);
}

wxAuiToolBar* CMainFrame::GetToolStrip(IPluginBase* plugin) const {
    return m_strips->Get(plugin);
}

void CMainFrame::RemoveToolStrip(IPluginBase* plugin) {
    m_strips->Remove(plugin);
}

bool CMainFrame::ClickStripTool(int position) {
    return m_strips->Click(position);
}

void CMainFrame::SyncToolStrips() {
    m_strips->Sync();
}

int CMainFrame::PressedStripTool(IPluginBase*& plugin) const {
    return m_strips->Pressed(plugin);
}

CGizmoOptionsBar* CMainFrame::GetGizmoOptionsBar() const {
    return m_strips->OptionsBar();
}

void CMainFrame::GizmoOptionsChanged() {
    m_strips->OptionsChanged();
}

void CMainFrame::RemoveMenu(wxMenu* submenu) {
    wxMenuBar* bar = GetMenuBar();
    if (!submenu || !bar)
        return;
    for (size_t i = 0; i < bar->GetMenuCount(); ++i)
        if (bar->GetMenu(i) == submenu) {
            bar->Remove(i);
            return;
        }
}

void CMainFrame::SetSidePanel(CSizeControlChild* panel) {
    if (m_sidePanel && m_sidePanel != panel) {
        if (wxWindow* old = m_sidePanel->GetWindow(); old && old->GetHandle())
            old->Hide();
    }
    m_sidePanel = panel;
    if (!panel)
        return;
    wxWindow* window = panel->GetWindow();
    if (!window || !window->GetHandle()) {
        panel->CreateChild(m_sideArea);
        window = panel->GetWindow();
    }
    if (window && window->GetHandle()) {
        if (window->GetParent() != m_sideArea)
            window->Reparent(m_sideArea);
        window->Show();
    }
    const wxSize size = m_sideArea->GetClientSize();
    panel->Resize(size.x, size.y);
    CallAfter(&CMainFrame::BalanceSidePanes);
}

void CMainFrame::BalanceSidePanes() {
    wxWindow* panel = m_sidePanel ? m_sidePanel->GetWindow() : nullptr;
    wxAuiPaneInfo& tree = m_aui.GetPane(m_outliner);
    wxAuiPaneInfo& side = m_aui.GetPane(m_sideArea);
    if (!panel || !panel->GetHandle() || !tree.IsOk() || !side.IsOk())
        return;
    const int total = m_outliner->GetSize().y + m_sideArea->GetSize().y;
    // The panel gets the height it asks for as far as that leaves the outliner 150 pixels, but
    // 400 at the least (its controls stay in reach in a small window); the outliner keeps two
    // rows whatever happens.
    const int best = panel->GetBestSize().y;
    const int want = std::clamp(std::min(best, std::max(total - 150, std::min(best, 400))), 100,
                                std::max(100, total - 48));
    if (tree.dock_proportion == total - want && side.dock_proportion == want)
        return;
    tree.dock_proportion = std::max(1, total - want);
    side.dock_proportion = want;
    m_aui.Update();
}

void CMainFrame::OnSideAreaSize(wxSizeEvent& event) {
    event.Skip();
    if (m_sidePanel) {
        const wxSize size = m_sideArea->GetClientSize();
        m_sidePanel->Resize(size.x, size.y);
    }
}

bool CMainFrame::DockBottomBar(wxWindow* bar, const char* name) {
    if (!bar || bar->GetParent() != this || !name)
        return false;
    if (m_aui.GetPane(bar).IsOk() || m_aui.GetPane(wxString::FromUTF8(name)).IsOk())
        return false;
    const wxSize size = bar->GetSize();
    // A fixed strip along the bottom edge: no caption, never floated, moved or closed.
    const bool added = m_aui.AddPane(bar, wxAuiPaneInfo()
                                              .Name(wxString::FromUTF8(name))
                                              .Bottom()
                                              .Layer(1)
                                              .CaptionVisible(false)
                                              .CloseButton(false)
                                              .Floatable(false)
                                              .Movable(false)
                                              .TopDockable(false)
                                              .LeftDockable(false)
                                              .RightDockable(false)
                                              .BottomDockable(true)
                                              .MinSize(wxSize(-1, size.GetHeight()))
                                              .BestSize(size));
    if (added)
        m_aui.Update();
    return added;
}

void CMainFrame::UndockBottomBar(wxWindow* bar) {
    if (bar && m_aui.DetachPane(bar))
        m_aui.Update();
}

wxWindow* CMainFrame::GetBottomBar() {
    wxAuiPaneInfoArray& panes = m_aui.GetAllPanes();
    for (size_t i = 0; i < panes.GetCount(); ++i) {
        wxWindow* window = panes[i].window;
        if (panes[i].dock_direction == wxAUI_DOCK_BOTTOM && window &&
            !wxDynamicCast(window, wxAuiToolBar))
            return window;
    }
    return nullptr;
}

void CMainFrame::UpdateLayout() {
    wxAuiPaneInfoArray& panes = m_aui.GetAllPanes();
    for (size_t i = 0; i < panes.GetCount(); ++i)
        if (panes[i].dock_direction == wxAUI_DOCK_BOTTOM && panes[i].window)
            panes[i].Show(true);
    m_aui.Update();
}

void CMainFrame::StartRenderLoop(std::function<void()> renderFrame) {
    m_renderFrame = std::move(renderFrame);
    m_frameDue = true;
    m_timer.Start(16);
    wxWakeUpIdle();
}

void CMainFrame::StopRenderLoop() {
    m_timer.Stop();
    m_renderFrame = nullptr;
    m_frameDue = false;
}

void CMainFrame::OnTimer(wxTimerEvent&) {
    // The timer only says a frame is due; the frame is drawn when the toolkit is idle. A timer
    // event outranks the toolkit's own layout, painting and idle work, so frames drawn here
    // that take longer than the period (a slow renderer, a busy machine, the first frames with
    // shaders to compile) keep the timer due for ever: a panel shown then is never laid out, a
    // changed text is never painted, the last pointer motion of a drag waits for the next
    // button event, and nothing queued for idle time runs.
    m_frameDue = true;
    wxWakeUpIdle();
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
    event.Skip();
    // Without a render loop (scripts, tests) idle time is the frame tick of the status line.
    if (!m_renderFrame)
        FlushStatusLine();
    if (!m_frameDue || !m_renderFrame)
        return;
    m_frameDue = false;
    m_renderFrame();
}

void CMainFrame::UpdateRubberBands() {
    m_views->UpdateRubberBands();
}

void CMainFrame::DrainViewEvents() {
    m_views->DrainWindowEvents();
}

wxStatusBar* CMainFrame::OnCreateStatusBar(int number, long style, wxWindowID winid,
                                           const wxString& name) {
    auto* bar = new CStatusBar(this, winid, style, name);
    bar->SetFieldsCount(number);
    return bar;
}

void CMainFrame::SetStatusText(const wxString& text, int field) {
    m_statusLine.Set(text, field);
}

int CMainFrame::FlushStatusLine() {
    if (!m_statusLine.Pending())
        return 0;
    // A bar set or removed since (the frame owns it): texts go to the one it has now.
    wxStatusBar* bar = GetStatusBar();
    if (bar != m_statusLine.Bar())
        m_statusLine.Attach(bar);
    return m_statusLine.Flush();
}

void CMainFrame::OnClose(wxCloseEvent& event) {
    // Only an interactive run sets a close handler: scripts never meet the question.
    if (m_onClose && event.CanVeto() && !ConfirmDiscard()) {
        event.Veto();
        return;
    }
    StopRenderLoop();
    if (m_onClose)
        m_onClose(); // the session unloads the plug-ins and destroys the frame
    else
        Destroy();
}

void CMainFrame::UpdateDocumentState(bool now) {
    SyncToolStrips();
    if (m_document && (now || m_titleClock.Time() >= 200)) {
        m_titleClock.Start();
        const wxString title = wxString::FromUTF8(m_document->Title());
        if (title != m_shownTitle) {
            m_shownTitle = title;
            SetTitle(title);
        }
    }
    m_outliner->Sync();
    // A change refused for leaving the world range says so (the entity kept its values).
    const std::string refusal = CEditorEntity::TakeRefusalMessage();
    if (!refusal.empty() && GetStatusBar())
        SetStatusText(wxString::FromUTF8(refusal));
    const int selected = static_cast<int>(m_host.Scene().getSelectedEntities().size());
    if (selected != m_shownSelection && GetStatusBar()) {
        m_shownSelection = selected;
        SetStatusText(wxString::FromUTF8("已选 ") + wxString::Format("%d", selected) +
                          wxString::FromUTF8(" 个物体"),
                      1);
    }
    // The frame tick: the status texts set since the last frame reach the bar now.
    FlushStatusLine();
}

void CMainFrame::ShowWarnings(const std::vector<std::string>& warnings) {
    if (warnings.empty())
        return;
    wxString text = wxString::FromUTF8(WindowMessage(warnings.front()));
    if (warnings.size() > 1)
        text +=
            wxString::Format(wxString::FromUTF8("（另有 %d 条警告）"), int(warnings.size() - 1));
    SetStatusText(text);
}

void CMainFrame::OnFileMenu(wxCommandEvent& event) {
    if (!m_document)
        return;
    if (event.GetId() == wxID_SAVE) {
        SaveDocument(false);
        return;
    }
    if (event.GetId() == wxID_SAVEAS) {
        SaveDocument(true);
        return;
    }
    if (!ConfirmDiscard())
        return;
    wxFileDialog dialog(this, wxString::FromUTF8("打开场景"), wxEmptyString, wxEmptyString,
                        wxString::FromUTF8("Ogre 场景 (*.scene)|*.scene|所有文件 (*)|*"),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK)
        OpenFile(dialog.GetPath().utf8_string());
}

void CMainFrame::OpenFile(const std::string& path) {
    std::string error;
    std::vector<std::string> warnings;
    if (!m_document->Open(path, error, warnings)) {
        const wxString message = wxString::FromUTF8(WindowMessage(error));
        SetStatusText(wxString::FromUTF8("无法打开场景：") + message);
        wxMessageBox(message, wxString::FromUTF8("无法打开场景"), wxOK | wxICON_ERROR, this);
        return;
    }
    SetStatusText(wxString::FromUTF8("已打开 ") + wxString::FromUTF8(path));
    ShowWarnings(warnings);
    UpdateDocumentState(true);
}

bool CMainFrame::SaveDocument(bool askName) {
    std::string path = m_document->Path();
    if (askName || path.empty()) {
        wxFileDialog dialog(this, wxString::FromUTF8("场景另存为"), wxEmptyString,
                            wxString::FromUTF8(m_document->DisplayName()),
                            wxString::FromUTF8("Ogre 场景 (*.scene)|*.scene"),
                            wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dialog.ShowModal() != wxID_OK)
            return false;
        path = dialog.GetPath().utf8_string();
        if (!wxString::FromUTF8(path).Lower().EndsWith(".scene"))
            path += ".scene";
    }
    std::string error;
    std::vector<std::string> warnings;
    if (!m_document->Save(path, error, warnings)) {
        const wxString message = wxString::FromUTF8(WindowMessage(error));
        SetStatusText(wxString::FromUTF8("无法保存场景：") + message);
        wxMessageBox(message, wxString::FromUTF8("无法保存场景"), wxOK | wxICON_ERROR, this);
        return false;
    }
    SetStatusText(wxString::FromUTF8("已保存 ") + wxString::FromUTF8(path));
    ShowWarnings(warnings);
    UpdateDocumentState(true);
    return true;
}

bool CMainFrame::ConfirmDiscard() {
    if (!m_document || !m_document->IsModified())
        return true;
    int answer = wxID_CANCEL;
    if (m_askSave) {
        answer = m_askSave();
    } else {
        wxMessageDialog question(this, wxString::FromUTF8("保存更改?"),
                                 wxString::FromUTF8(m_document->DisplayName()),
                                 wxYES_NO | wxCANCEL | wxICON_QUESTION);
        question.SetYesNoCancelLabels(wxString::FromUTF8("保存"), wxString::FromUTF8("不保存"),
                                      wxString::FromUTF8("取消"));
        answer = question.ShowModal();
    }
    switch (answer) {
    case wxID_YES:
        return SaveDocument(false);
    case wxID_NO:
        return true;
    default:
        return false;
    }
}
