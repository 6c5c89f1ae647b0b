// Script commands for files handed over as a desktop does: recent (File › 最近打开's list),
// drop (files dropped on the main window, delivered through the window's drop target the way
// the toolkit delivers a drop from a file manager), answer (how a script answers the
// 保存更改? question a drop asks) and menushot (the window with its open menus, for pictures).
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "CSceneDocument.h"
#include "CViewWindow.h"
#include "DesktopFiles.h"
#include "EditorScreenshot.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"

#include <wx/dataobj.h>
#include <wx/dnd.h>
#include <wx/image.h>
#include <wx/menu.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <ostream>

// GTK's drawing of a widget into an image (the menus' pictures for menushot).
extern "C" {
struct _cairo;
struct _cairo_surface;
_cairo_surface* cairo_image_surface_create(int format, int width, int height);
_cairo* cairo_create(_cairo_surface* surface);
void cairo_set_source_rgb(_cairo* cr, double r, double g, double b);
void cairo_paint(_cairo* cr);
void cairo_destroy(_cairo* cr);
void cairo_surface_flush(_cairo_surface* surface);
unsigned char* cairo_image_surface_get_data(_cairo_surface* surface);
int cairo_image_surface_get_stride(_cairo_surface* surface);
void cairo_surface_destroy(_cairo_surface* surface);
void* gtk_widget_get_toplevel(void* widget);
int gtk_widget_get_mapped(void* widget);
int gtk_widget_get_allocated_width(void* widget);
int gtk_widget_get_allocated_height(void* widget);
void* gtk_widget_get_window(void* widget);
void gtk_widget_draw(void* widget, _cairo* cr);
int gdk_window_get_origin(void* window, int* x, int* y);
}

namespace {
using Args = CScriptRunner::Args;

// The picture GTK draws of an open menu's window, and where it is on the screen; false when the
// menu is not open.
bool DrawOpenMenu(wxMenu* menu, wxImage& image, wxPoint& at) {
    void* top = menu && menu->m_menu ? gtk_widget_get_toplevel(menu->m_menu) : nullptr;
    if (!top || !gtk_widget_get_mapped(top))
        return false;
    const int w = gtk_widget_get_allocated_width(top), h = gtk_widget_get_allocated_height(top);
    if (w <= 1 || h <= 1 || !gdk_window_get_origin(gtk_widget_get_window(top), &at.x, &at.y))
        return false;
    _cairo_surface* surface = cairo_image_surface_create(1 /* RGB24 */, w, h);
    _cairo* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    gtk_widget_draw(top, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    image.Create(w, h, false);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* out = image.GetData();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, out += 3) {
            const unsigned char* px = data + y * stride + x * 4; // B G R x
            out[0] = px[2];
            out[1] = px[1];
            out[2] = px[0];
        }
    cairo_surface_destroy(surface);
    return true;
}

// menushot PATH: the main window with the open menus of the menu bar drawn over it, as GTK
// draws them (a screen grab shows menus only once a compositor has drawn them).
bool MenuShot(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 1, "menushot PATH", error))
        return false;
    CMainFrame* frame = EditorSession(r).Frame();
    wxImage shot;
    if (!frame || !frame->GetMenuBar() || !CaptureWindowImage(*frame, shot, error))
        return false;
    const wxPoint origin = frame->GetScreenPosition();
    std::vector<wxMenu*> menus;
    for (size_t i = 0; i < frame->GetMenuBar()->GetMenuCount(); ++i)
        menus.push_back(frame->GetMenuBar()->GetMenu(i));
    for (size_t i = 0; i < menus.size(); ++i) // submenus after their menus
        for (wxMenuItem* item : menus[i]->GetMenuItems())
            if (item->GetSubMenu())
                menus.push_back(item->GetSubMenu());
    int drawn = 0;
    for (wxMenu* menu : menus) {
        wxImage picture;
        wxPoint at;
        if (DrawOpenMenu(menu, picture, at)) {
            shot.Paste(picture, at.x - origin.x, at.y - origin.y);
            ++drawn;
        }
    }
    if (!SavePng(shot, args[0], error))
        return false;
    r.Out() << "menushot " << args[0] << ": " << drawn << " menus\n";
    return true;
}

// The answer to the save question while a scripted drop asks it, per runner.
struct SaveAnswer {
    const CScriptRunner* runner = nullptr;
    std::string word = "cancel";
};
SaveAnswer g_answer;

const std::string& AnswerFor(const CScriptRunner& r) {
    if (g_answer.runner != &r)
        g_answer = {&r, "cancel"};
    return g_answer.word;
}

// "file://" and the absolute path, every byte but the unreserved ones and '/' as %XX: what a
// file manager puts in a text/uri-list.
std::string FileUri(const std::string& path) {
    std::string full = path;
    if (full.empty() || full[0] != '/') {
        char* here = getcwd(nullptr, 0);
        full = std::string(here ? here : "/") + "/" + path;
        std::free(here);
    }
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : full) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

bool Recent(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "recent", error))
        return false;
    CDesktopFiles* desktop = EditorSession(r).Desktop();
    if (!desktop) {
        error = "recent: the editor has no window";
        return false;
    }
    const std::vector<std::string> recent = desktop->Recent();
    if (recent.empty())
        r.Out() << "recent none\n";
    for (const std::string& path : recent)
        r.Out() << "recent " << path << "\n";
    return true;
}

bool Answer(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 1, "answer save|discard|cancel", error))
        return false;
    if (args[0] != "save" && args[0] != "discard" && args[0] != "cancel") {
        error = "usage: answer save|discard|cancel";
        return false;
    }
    AnswerFor(r);
    g_answer.word = args[0];
    return true;
}

bool Drop(CScriptRunner& r, const Args& args, std::string& error) {
    if (args.empty()) {
        error = "usage: drop PATH...";
        return false;
    }
    CEditorSession& session = EditorSession(r);
    CMainFrame* frame = session.Frame();
    CDesktopFiles* desktop = session.Desktop();
    auto* target = frame ? dynamic_cast<wxFileDropTarget*>(frame->GetDropTarget()) : nullptr;
    if (!desktop || !target) {
        error = "drop: the main window takes no files";
        return false;
    }
    // The files as a file manager offers them, read back by the toolkit's own file data object
    // (URIs decoded as for a real drop).
    std::string uris;
    for (const std::string& path : args)
        uris += FileUri(path) + "\r\n";
    wxFileDataObject data;
    data.SetData(uris.size() + 1, uris.c_str());
    // Over the middle of the first view, as a person would drop.
    const wxSize client = frame->GetClientSize();
    wxPoint at(client.x / 2, client.y / 2);
    if (CViewWindow* view = frame->GetViewWindow(0)) {
        const wxRect shown = view->GetScreenRect();
        at = frame->ScreenToClient(wxPoint(shown.x + shown.width / 2, shown.y + shown.height / 2));
    }
    // The toolkit's order: enter, move over, drop; then the data. A question the drop asks is
    // answered as the script said (`answer`, cancel by default).
    frame->SetSaveQuestion([&r, &session] {
        std::string word = AnswerFor(r);
        if (word == "save" && session.Document().Path().empty())
            word = "cancel (the scene has no file to save to)";
        r.Out() << "question 保存更改? " << word << "\n";
        return word == "save" ? wxID_YES : word == "discard" ? wxID_NO : wxID_CANCEL;
    });
    bool delivered = false;
    if (wxIsDragResultOk(target->OnEnter(at.x, at.y, wxDragCopy)) &&
        wxIsDragResultOk(target->OnDragOver(at.x, at.y, wxDragCopy)) &&
        target->OnDrop(at.x, at.y)) {
        target->OnDropFiles(at.x, at.y, data.GetFilenames());
        delivered = true;
    } else {
        target->OnLeave();
    }
    frame->SetSaveQuestion(nullptr);
    if (!delivered) {
        error = "drop: the main window refused the drop";
        return false;
    }
    for (const std::string& line : desktop->TakeDropReport())
        r.Out() << line << "\n";
    session.RenderFrames(1);
    return true;
}
} // namespace

void RegisterDesktopScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(
        runner, {{"recent", Recent}, {"drop", Drop}, {"answer", Answer}, {"menushot", MenuShot}});
}
