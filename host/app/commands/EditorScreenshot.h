// PNG pictures of the editor: the whole main window, or one view.
#pragma once

#include <string>

class CMainFrame;
class wxImage;

// The main window (menus, tool strips, views, side area, bottom dock). The toolkit's part is
// grabbed from the screen, and each view's own rendering is pasted at its place (GL content
// does not reliably show in a screen grab).
bool CaptureWindowImage(CMainFrame& frame, wxImage& image, std::string& error);
// View n's rendering alone.
bool CaptureViewImage(CMainFrame& frame, int view, wxImage& image, std::string& error);
bool SavePng(const wxImage& image, const std::string& path, std::string& error);
