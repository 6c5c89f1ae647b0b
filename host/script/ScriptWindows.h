// How script commands find the controls they drive: by the ids and names the controls were
// given (the plug-in publishes them in the host interface's automation contract), never by
// where they sit. Only toolkit calls: the host cannot look inside a plug-in's classes.
#pragma once

#include <wx/gdicmn.h>

#include <string>

class wxWindow;
class wxString;

// The window with this id in the tree below `window` (itself included), or null.
wxWindow* FindDescendant(wxWindow* window, int id);
// The window named `name` (UTF-8) in the tree below `window` (itself excluded), or null.
wxWindow* FindNamedDescendant(wxWindow* window, const std::string& name);
// The direct child of `window` named `name` (UTF-8), or null.
wxWindow* FindNamedChild(wxWindow* window, const std::string& name);
// The shown pop-up window among the children of `owner`, or null.
wxWindow* FindShownPopup(wxWindow* owner);

// Asks a window where its item `name` is: sends it a wxCommandEvent of type `queryType` with
// the name as its string and a wxRect* as its client data, which the window answers by filling
// in the item's screen rectangle and SetInt(1). The window's maker publishes the event type and
// the names. True with the rectangle in `rect`; false with a message naming the item when the
// window does not answer or has no such item.
bool LocateNamedItem(wxWindow* window, int queryType, const std::string& name, wxRect& rect,
                     std::string& error);

std::string Utf8(const wxString& text);
wxPoint Centre(const wxRect& rect);
