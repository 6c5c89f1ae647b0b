#include "DesktopPlatform.h"

#include <wx/colour.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

extern "C" {
// GDK 3 and GTK 3, declared here rather than through their headers, which would pull in the
// whole of GTK for six calls.
struct PlatformGdkRgba {
    double red, green, blue, alpha;
};
struct PlatformGList {
    void* data;
    PlatformGList* next;
    PlatformGList* prev;
};
void* gdk_display_get_default();
void gdk_display_sync(void* display);
PlatformGList* gtk_window_list_toplevels(void);
void g_list_free(PlatformGList* list);
unsigned long gtk_color_selection_dialog_get_type(void);
void* gtk_color_selection_dialog_get_color_selection(void* dialog);
void gtk_color_selection_set_current_rgba(void* selection, const PlatformGdkRgba* color);
int g_type_check_instance_is_a(void* instance, unsigned long type);
void gtk_dialog_response(void* dialog, int response);
int gtk_widget_get_mapped(void* widget);
}

namespace {
constexpr int kGtkResponseOk = -5;
}

struct CBellCounter::SConnection {
    Display* display = nullptr;
    int eventBase = 0;
};

CBellCounter::CBellCounter() {
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    int opcode = 0;
    int error = 0;
    int eventBase = 0;
    Display* display = XkbOpenDisplay(nullptr, &eventBase, &error, &major, &minor, &opcode);
    if (!display)
        return;
    XkbSelectEvents(display, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
    XSync(display, False);
    m_connection = std::make_unique<SConnection>();
    m_connection->display = display;
    m_connection->eventBase = eventBase;
}

CBellCounter::~CBellCounter() {
    if (m_connection)
        XCloseDisplay(m_connection->display);
}

bool CBellCounter::IsListening() const {
    return m_connection != nullptr;
}

int CBellCounter::Count() {
    if (!m_connection)
        return m_count;
    Display* display = m_connection->display;
    // The toolkit's own connection first: its bell requests reach the server, and the
    // server's notifications reach us.
    if (void* gdk = gdk_display_get_default())
        gdk_display_sync(gdk);
    XSync(display, False);
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == m_connection->eventBase &&
            reinterpret_cast<XkbAnyEvent*>(&event)->xkb_type == XkbBellNotify)
            ++m_count;
    }
    return m_count;
}

bool AnswerNativeColourDialog(const wxColour& colour) {
    bool answered = false;
    // The native dialog is no toolkit top-level window: look among GTK's.
    PlatformGList* windows = gtk_window_list_toplevels();
    for (PlatformGList* item = windows; item && !answered; item = item->next) {
        void* dialog = item->data;
        if (!g_type_check_instance_is_a(dialog, gtk_color_selection_dialog_get_type()) ||
            !gtk_widget_get_mapped(dialog))
            continue;
        const PlatformGdkRgba rgba{colour.Red() / 255.0, colour.Green() / 255.0,
                                   colour.Blue() / 255.0, 1.0};
        gtk_color_selection_set_current_rgba(gtk_color_selection_dialog_get_color_selection(dialog),
                                             &rgba);
        gtk_dialog_response(dialog, kGtkResponseOk);
        answered = true;
    }
    g_list_free(windows);
    return answered;
}
