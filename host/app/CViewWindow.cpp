#include "CViewWindow.h"

#include "CEditorHost.h"
#include "CEditorEngine.h"
#include "CEditorView.h"
#include "CMainFrame.h"
#include "EditOperations.h"
#include "ViewDecorations.h"
#include "DemoScene.h"

#include <OgreCamera.h>
#include <OgreManualObject.h>
#include <OgreMaterialManager.h>
#include <OgreRenderTargetListener.h>
#include <OgreRenderWindow.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreTechnique.h>
#include <OgreViewport.h>

#include <wx/dcclient.h>

#include <X11/Xlib.h>

#include <cstring>

extern "C" {
struct _GtkWidget;
struct _GdkWindow;
_GdkWindow* gtk_widget_get_window(_GtkWidget* widget);
unsigned long gdk_x11_window_get_xid(_GdkWindow* window);
}

namespace {
// Visibility bits of the per-view rubber bands; every other object keeps the default flags.
constexpr Ogre::uint32 kBandBit0 = 1u << 27;
constexpr Ogre::uint32 kBandBits = 0xFu << 27;
const char* const kBandMaterial = "EditorRubberBand";

void EnsureBandMaterial() {
    auto& materials = Ogre::MaterialManager::getSingleton();
    if (materials.getByName(kBandMaterial, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME))
        return;
    Ogre::MaterialPtr base = materials.getByName("BaseWhiteNoLighting");
    if (!base)
        return;
    Ogre::MaterialPtr band = base->clone(kBandMaterial);
    band->setDepthCheckEnabled(false);
    band->setDepthWriteEnabled(false);
    band->setLightingEnabled(false);
}
} // namespace

class CViewWindow::CAxesListener : public Ogre::RenderTargetListener {
public:
    explicit CAxesListener(CViewWindow& window) : m_window(window) {}
    void preRenderTargetUpdate(const Ogre::RenderTargetEvent&) override {
        if (m_window.m_decorations)
            m_window.m_decorations->FrameDrawn();
        if (m_window.m_decorations && m_window.m_view)
            m_window.m_decorations->UpdateAxes(
                m_window.m_view->GetCamera()->getDerivedOrientation());
    }

private:
    CViewWindow& m_window;
};

CViewWindow::CViewWindow(wxWindow* parent, CEditorHost& host, int index, Kind kind)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(200, 150), wxFULL_REPAINT_ON_RESIZE),
      m_host(host), m_index(index), m_kind(kind) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_SIZE, &CViewWindow::OnSize, this);
    Bind(wxEVT_PAINT, &CViewWindow::OnPaint, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CViewWindow::OnCaptureLost, this);
    Bind(wxEVT_KEY_DOWN, &CViewWindow::OnKeyDown, this);
    Bind(wxEVT_KEY_UP, &CViewWindow::OnKeyUp, this);
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
        event.Skip();
        LetGoVertexKey();
    });
    // A second press soon after the first arrives as a double click instead of a press; it is
    // a press all the same (a quick click on a part and a drag of it).
    for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN,
                      wxEVT_RIGHT_UP, wxEVT_RIGHT_DCLICK, wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP,
                      wxEVT_MIDDLE_DCLICK, wxEVT_MOTION, wxEVT_MOUSEWHEEL})
        Bind(type, &CViewWindow::OnMouse, this);
    // The pointer gone from the view: what it hovered there is no longer under it. (Crossing
    // into the engine's own child window is no leave: the pointer is still inside.)
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) {
        event.Skip();
        if (!GetClientRect().Contains(ScreenToClient(wxGetMousePosition())))
            m_host.Hover(m_index, 0, -1, -1);
    });
}

CViewWindow::~CViewWindow() {
    DestroyOgreWindow();
}

bool CViewWindow::CreateOgreWindow(CEditorEngine& engine) {
    if (m_renderWindow)
        return true;
    m_engine = &engine;
    GtkWidget* widget = GetHandle();
    if (!widget)
        return false;
    _GdkWindow* gdkWindow = gtk_widget_get_window(reinterpret_cast<_GtkWidget*>(widget));
    if (!gdkWindow)
        return false;
    unsigned long xid = gdk_x11_window_get_xid(gdkWindow);
    wxSize size = GetClientSize();
    int w = size.x > 0 ? size.x : 1;
    int h = size.y > 0 ? size.y : 1;
    std::string name = "EditorView" + std::to_string(m_index);
    m_renderWindow = engine.CreateRenderWindow(name, w, h, std::to_string(xid));
    if (!m_renderWindow)
        return false;

    Ogre::SceneManager* sceneManager = engine.GetOgreSceneManager();
    m_view = std::make_unique<CEditorView>(sceneManager, name + "Camera");
    Ogre::Viewport* viewport = m_renderWindow->addViewport(m_view->GetCamera());
    viewport->setBackgroundColour(Ogre::ColourValue(0.32f, 0.36f, 0.42f));
    viewport->setVisibilityMask(~kBandBits | (kBandBit0 << m_index));
    m_view->SetPixelSize(w, h);
    ResetCamera();

    EnsureBandMaterial();
    m_band = sceneManager->createManualObject(name + "Band");
    m_band->setUseIdentityProjection(true);
    m_band->setUseIdentityView(true);
    m_band->setRenderQueueGroup(Ogre::RENDER_QUEUE_OVERLAY);
    m_band->setVisibilityFlags(kBandBit0 << m_index);
    m_band->setQueryFlags(0);
    m_band->setBoundingBox(Ogre::AxisAlignedBox::BOX_INFINITE);
    m_band->setVisible(false);
    sceneManager->getRootSceneNode()->attachObject(m_band);

    const char* const captions[4] = {"透视", "顶视", "前视", "侧视"};
    const CViewDecorations::Plane planes[4] = {CViewDecorations::GROUND, CViewDecorations::XZ,
                                               CViewDecorations::XY, CViewDecorations::ZY};
    m_decorations = std::make_unique<CViewDecorations>(sceneManager, name, kBandBit0 << m_index,
                                                       captions[m_kind], planes[m_kind]);
    m_decorations->Resize(w, h);
    m_decorations->SetGridShown(m_gridShown);
    m_axesListener = std::make_unique<CAxesListener>(*this);
    m_renderWindow->addListener(m_axesListener.get());
    return true;
}

void CViewWindow::SetGridShown(bool shown) {
    m_gridShown = shown;
    if (m_decorations)
        m_decorations->SetGridShown(shown);
}

void CViewWindow::DestroyOgreWindow() {
    if (!m_engine)
        return;
    Ogre::SceneManager* sceneManager = m_engine->GetOgreSceneManager();
    if (m_renderWindow && m_axesListener)
        m_renderWindow->removeListener(m_axesListener.get());
    m_axesListener.reset();
    m_decorations.reset();
    if (m_band && sceneManager) {
        sceneManager->destroyManualObject(m_band);
        m_band = nullptr;
    }
    if (m_renderWindow) {
        m_renderWindow->removeAllViewports();
        m_engine->GetRoot()->destroyRenderTarget(m_renderWindow);
        m_renderWindow = nullptr;
    }
    m_view.reset();
    m_engine = nullptr;
}

void CViewWindow::ResetCamera() {
    if (!m_view)
        return;
    const Ogre::Vector3 target = DemoCameraTarget();
    switch (m_kind) {
    case PERSPECTIVE:
        m_view->SetOrthographic(false);
        m_view->LookAt(DemoCameraEye(), target);
        break;
    case TOP:
        m_view->SetOrthographic(true, 50.0f);
        m_view->LookAt(target + Ogre::Vector3(0, 100, 0.01f), target);
        break;
    case FRONT:
        m_view->SetOrthographic(true, 50.0f);
        m_view->LookAt(target + Ogre::Vector3(0, 0, 100), target);
        break;
    case SIDE:
        m_view->SetOrthographic(true, 50.0f);
        m_view->LookAt(target + Ogre::Vector3(100, 0, 0), target);
        break;
    }
}

void CViewWindow::OnSize(wxSizeEvent& event) {
    event.Skip();
    wxSize size = GetClientSize();
    if (m_renderWindow && size.x > 0 && size.y > 0) {
        m_renderWindow->resize(size.x, size.y);
        m_view->SetPixelSize(size.x, size.y);
        if (m_decorations)
            m_decorations->Resize(size.x, size.y);
        m_host.redraw();
    }
}

void CViewWindow::DrainWindowEvents() {
    if (!m_renderWindow)
        return;
    // The engine's child window lives on the engine's own X connection and asks for structure,
    // visibility and focus events; nothing else reads that connection, so every resize, hide
    // or show would leave its events queued there for the life of the process. They carry
    // nothing the view needs (OnSize already resizes the engine's window): drop them.
    Display* display = nullptr;
    Window window = 0;
    try {
        m_renderWindow->getCustomAttribute("XDISPLAY", &display);
        m_renderWindow->getCustomAttribute("WINDOW", &window);
    } catch (...) {
        return; // not a window of the X render system
    }
    if (!display || !window)
        return;
    XEvent event;
    while (XCheckWindowEvent(
        display, window, StructureNotifyMask | VisibilityChangeMask | FocusChangeMask, &event)) {
    }
    while (XCheckTypedWindowEvent(display, window, ClientMessage, &event)) {
    }
}

int CViewWindow::TypedAmountCode(const wxKeyEvent& event) {
    const int modifiers = event.GetModifiers();
    if (modifiers & (wxMOD_CONTROL | wxMOD_ALT | wxMOD_META))
        return 0;
    const int key = event.GetKeyCode();
    if (key >= WXK_NUMPAD0 && key <= WXK_NUMPAD9)
        return '0' + (key - WXK_NUMPAD0);
    switch (key) {
    case WXK_NUMPAD_SUBTRACT:
        return '-';
    case WXK_NUMPAD_DECIMAL:
        return '.';
    case WXK_BACK:
        return INPUT_KEY_BACKSPACE;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        return INPUT_KEY_RETURN;
    default:
        break;
    }
    if (modifiers & wxMOD_SHIFT)
        return 0;
    return (key >= '0' && key <= '9') || key == '-' || key == '.' ? key : 0;
}

void CViewWindow::OnKeyDown(wxKeyEvent& event) {
    // An amount typed while a gizmo part is held; the plug-in answers 0 when nothing is held.
    if (const int typed = TypedAmountCode(event); typed != 0 && m_host.OtherInput(typed, 0))
        return;
    if (event.GetKeyCode() == 'V' && !event.HasAnyModifiers()) {
        m_vertexKeyHeld = true;
        m_host.OtherInput(INPUT_KEY_VERTEX_DOWN, 0);
        return;
    }
    if (EditOps::HandleKey(m_host, event))
        return;
    if (event.GetKeyCode() == WXK_ESCAPE && m_host.OtherInput(INPUT_KEY_ESCAPE, 0))
        return;
    // Plain letters only: with a modifier they belong to the menus.
    const int code = event.GetKeyCode();
    if (code == 'L' && !event.HasAnyModifiers()) {
        m_host.ToggleGizmoSpace();
        return;
    }
    const char* const keys = "QWER";
    const char* key = code > 0 && code < 128 ? std::strchr(keys, code) : nullptr;
    CMainFrame* frame = dynamic_cast<CMainFrame*>(wxGetTopLevelParent(this));
    if (!key || *key == '\0' || event.HasAnyModifiers() || !frame ||
        !frame->ClickStripTool(int(key - keys))) {
        event.Skip();
        return;
    }
}

void CViewWindow::OnKeyUp(wxKeyEvent& event) {
    event.Skip();
    // A modifier pressed meanwhile does not keep V held.
    if (event.GetKeyCode() == 'V')
        LetGoVertexKey();
}

void CViewWindow::LetGoVertexKey() {
    if (!m_vertexKeyHeld)
        return;
    m_vertexKeyHeld = false;
    m_host.OtherInput(INPUT_KEY_VERTEX_UP, 0);
}

void CViewWindow::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this); // the Ogre window covers it; the render loop paints
    m_host.redraw();
}

int CViewWindow::KeyFlags(const wxMouseEvent& event) const {
    int flags = 0;
    if (event.LeftIsDown())
        flags |= KEY_LBUTTON;
    if (event.RightIsDown())
        flags |= KEY_RBUTTON;
    if (event.ShiftDown())
        flags |= KEY_SHIFT;
    if (event.ControlDown())
        flags |= KEY_CTRL;
    if (event.AltDown())
        flags |= KEY_ALT;
    return flags;
}

void CViewWindow::OnMouse(wxMouseEvent& event) {
    const wxPoint pos = event.GetPosition();
    const int flags = KeyFlags(event);
    wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DCLICK)
        type = wxEVT_LEFT_DOWN;
    else if (type == wxEVT_RIGHT_DCLICK)
        type = wxEVT_RIGHT_DOWN;
    else if (type == wxEVT_MIDDLE_DCLICK)
        type = wxEVT_MIDDLE_DOWN;
    if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN) {
        SetFocus();
        if (!HasCapture())
            CaptureMouse();
        m_lastMouse = pos;
        m_host.SetActiveView(m_index);
        if (type == wxEVT_LEFT_DOWN)
            m_host.PointerDown(m_index, flags | KEY_LBUTTON, pos.x, pos.y);
        else if (type == wxEVT_RIGHT_DOWN)
            m_rightUsed = m_host.OtherPress(m_index, KEY_RBUTTON, flags, pos.x, pos.y) != 0;
    } else if (type == wxEVT_LEFT_UP) {
        // The release carries the left-button flag: it is the left button's release.
        m_host.PointerUp(m_index, flags | KEY_LBUTTON, pos.x, pos.y);
        UpdateRubberBand();
    } else if (type == wxEVT_MOTION) {
        const int dx = pos.x - m_lastMouse.x;
        const int dy = pos.y - m_lastMouse.y;
        m_lastMouse = pos;
        if (event.LeftIsDown()) {
            m_host.PointerMove(m_index, flags, pos.x, pos.y);
            UpdateRubberBand();
        } else if (event.RightIsDown() && m_view && !m_rightUsed) {
            m_view->Orbit(float(dx), float(dy));
            m_host.redraw();
        } else if (event.MiddleIsDown() && m_view) {
            m_view->Pan(float(dx), float(dy));
            m_host.redraw();
        } else {
            m_host.Hover(m_index, flags, pos.x, pos.y);
        }
    } else if (type == wxEVT_MOUSEWHEEL && m_view) {
        const int delta = event.GetWheelDelta() > 0 ? event.GetWheelDelta() : 120;
        m_view->Zoom(float(event.GetWheelRotation()) / float(delta));
        m_host.redraw();
    }
    if (type == wxEVT_RIGHT_UP)
        m_rightUsed = false;
    if ((type == wxEVT_LEFT_UP || type == wxEVT_RIGHT_UP || type == wxEVT_MIDDLE_UP) &&
        HasCapture() && !event.LeftIsDown() && !event.RightIsDown() && !event.MiddleIsDown())
        ReleaseMouse();
}

void CViewWindow::OnCaptureLost(wxMouseCaptureLostEvent&) {}

void CViewWindow::UpdateRubberBand() {
    if (!m_band || !m_view)
        return;
    int view = -1;
    PixelRect r;
    const bool shown = m_host.RubberBand(view, r) && view == m_index;
    if (!shown) {
        if (m_bandShown)
            m_band->setVisible(false);
        m_bandShown = false;
        return;
    }
    const float w = float(m_view->GetWidth() > 0 ? m_view->GetWidth() : 1);
    const float h = float(m_view->GetHeight() > 0 ? m_view->GetHeight() : 1);
    auto nx = [w](int x) { return 2.0f * (float(x) + 0.5f) / w - 1.0f; };
    auto ny = [h](int y) { return 1.0f - 2.0f * (float(y) + 0.5f) / h; };
    const Ogre::ColourValue colour(1.0f, 1.0f, 0.6f);
    m_band->clear();
    m_band->begin(kBandMaterial, Ogre::RenderOperation::OT_LINE_STRIP);
    const int xs[5] = {r.left, r.right, r.right, r.left, r.left};
    const int ys[5] = {r.top, r.top, r.bottom, r.bottom, r.top};
    for (int i = 0; i < 5; ++i) {
        m_band->position(nx(xs[i]), ny(ys[i]), 0.0f);
        m_band->colour(colour);
    }
    m_band->end();
    m_band->setVisible(true);
    m_bandShown = true;
    m_host.redraw();
}
