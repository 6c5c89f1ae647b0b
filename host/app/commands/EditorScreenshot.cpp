#include "EditorScreenshot.h"

#include "CMainFrame.h"
#include "CViewWindow.h"

#include <OgrePixelFormat.h>
#include <OgreRenderWindow.h>

#include <wx/image.h>

#include <cstring>
#include <vector>

// GDK's screen reader: wxScreenDC on GTK 3 may hand back an image of the screen taken earlier,
// so a second screenshot in one run would show the widgets as they were at the first.
extern "C" {
void* gdk_get_default_root_window();
void* gdk_pixbuf_get_from_window(void* window, int x, int y, int width, int height);
int gdk_pixbuf_get_n_channels(const void* pixbuf);
int gdk_pixbuf_get_rowstride(const void* pixbuf);
unsigned char* gdk_pixbuf_get_pixels(const void* pixbuf);
void g_object_unref(void* object);
}

namespace {

// The screen area as it is now; an invalid image when it cannot be read.
wxImage ReadScreen(const wxRect& area) {
    void* pixbuf = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), area.x, area.y,
                                              area.width, area.height);
    if (!pixbuf)
        return wxImage();
    wxImage image(area.width, area.height, false);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const unsigned char* data = gdk_pixbuf_get_pixels(pixbuf);
    unsigned char* out = image.GetData();
    for (int y = 0; y < area.height; ++y) {
        const unsigned char* row = data + std::size_t(y) * stride;
        for (int x = 0; x < area.width; ++x, out += 3)
            std::memcpy(out, row + std::size_t(x) * channels, 3);
    }
    g_object_unref(pixbuf);
    return image;
}

} // namespace

bool CaptureViewImage(CMainFrame& frame, int view, wxImage& image, std::string& error) {
    CViewWindow* window = frame.GetViewWindow(view);
    Ogre::RenderWindow* target = window ? window->GetRenderWindow() : nullptr;
    if (!target) {
        error = "view " + std::to_string(view) + " has no picture";
        return false;
    }
    const unsigned w = target->getWidth();
    const unsigned h = target->getHeight();
    if (w == 0 || h == 0) {
        error = "view " + std::to_string(view) + " has no size";
        return false;
    }
    std::vector<unsigned char> pixels(size_t(w) * h * 3);
    try {
        // Render into the back buffer and read it before the swap: the front buffer of a
        // child window is not reliably readable.
        target->update(false);
        target->copyContentsToMemory(Ogre::Box(0, 0, w, h),
                                     Ogre::PixelBox(w, h, 1, Ogre::PF_BYTE_RGB, pixels.data()),
                                     Ogre::RenderTarget::FB_BACK);
        target->swapBuffers();
    } catch (const std::exception& e) {
        error = std::string("cannot read the view: ") + e.what();
        return false;
    }
    image.Create(int(w), int(h), false);
    std::memcpy(image.GetData(), pixels.data(), pixels.size());
    return true;
}

bool CaptureWindowImage(CMainFrame& frame, wxImage& image, std::string& error) {
    frame.Raise();
    frame.Update();
    const wxRect area = frame.GetScreenRect();
    if (area.width <= 0 || area.height <= 0) {
        error = "the main window has no size";
        return false;
    }
    image = ReadScreen(area);
    if (!image.IsOk()) {
        error = "cannot grab the main window";
        return false;
    }
    for (int i = 0; i < frame.ViewCount(); ++i) {
        wxImage view;
        if (!CaptureViewImage(frame, i, view, error))
            return false;
        const wxPoint at = frame.GetViewWindow(i)->GetScreenPosition() - area.GetPosition();
        image.Paste(view, at.x, at.y);
    }
    return true;
}

bool SavePng(const wxImage& image, const std::string& path, std::string& error) {
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr)
        wxImage::AddHandler(new wxPNGHandler);
    if (!image.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
