#include "ScriptWindows.h"

#include <wx/event.h>
#include <wx/popupwin.h>
#include <wx/window.h>

wxWindow* FindDescendant(wxWindow* window, int id) {
    if (!window)
        return nullptr;
    if (window->GetId() == id)
        return window;
    for (wxWindow* child : window->GetChildren()) {
        if (wxWindow* found = FindDescendant(child, id))
            return found;
    }
    return nullptr;
}

wxWindow* FindNamedDescendant(wxWindow* window, const std::string& name) {
    return window ? window->FindWindow(wxString::FromUTF8(name)) : nullptr;
}

wxWindow* FindNamedChild(wxWindow* window, const std::string& name) {
    if (!window)
        return nullptr;
    const wxString wanted = wxString::FromUTF8(name);
    for (wxWindow* child : window->GetChildren()) {
        if (child->GetName() == wanted)
            return child;
    }
    return nullptr;
}

wxWindow* FindShownPopup(wxWindow* owner) {
    if (!owner)
        return nullptr;
    for (wxWindow* child : owner->GetChildren()) {
        auto* popup = wxDynamicCast(child, wxPopupWindow);
        if (popup && popup->IsShown())
            return popup;
    }
    return nullptr;
}

bool LocateNamedItem(wxWindow* window, int queryType, const std::string& name, wxRect& rect,
                     std::string& error) {
    if (!window || queryType == 0) {
        error = "no window to ask for '" + name + "'";
        return false;
    }
    wxRect answer;
    wxCommandEvent query(queryType, window->GetId());
    query.SetEventObject(window);
    query.SetString(wxString::FromUTF8(name));
    query.SetClientData(&answer);
    query.SetInt(0);
    window->GetEventHandler()->ProcessEvent(query);
    if (query.GetInt() != 1 || answer.IsEmpty()) {
        error = "the window has no item named '" + name + "'";
        return false;
    }
    rect = answer;
    return true;
}

std::string Utf8(const wxString& text) {
    const wxScopedCharBuffer buffer = text.utf8_str();
    return std::string(buffer.data(), buffer.length());
}

wxPoint Centre(const wxRect& rect) {
    return wxPoint(rect.x + rect.width / 2, rect.y + rect.height / 2);
}
