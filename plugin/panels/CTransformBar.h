// The transform bar: a one-line panel from template 109. The plug-in has the host dock it at
// the bottom edge of the editor's main frame while the plug-in is loaded.
#pragma once

#include "TransformBarFields.h"

#include <wx/panel.h>
#include <type_traits> // wx/weakref.h needs it first
#include <wx/weakref.h>

#include <string>

class wxCommandEvent;
class wxWindow;

class CTransformBar {
public:
    CTransformBar() = default;
    ~CTransformBar();
    CTransformBar(const CTransformBar&) = delete;
    CTransformBar& operator=(const CTransformBar&) = delete;

    // Builds the bar as a child of `parent`. False when there is no parent, the bar exists
    // already or the template cannot be loaded.
    bool Create(wxWindow* parent);
    // Destroys the bar's window; harmless when it has none. Whoever docked it undocks it first.
    void Destroy();

    wxPanel* GetWindow() const { return m_window.get(); }
    // The control with one of the bar's numeric ids, or null.
    wxWindow* GetField(int id) const;

    // Shows nine value texts and a name. A control is written only when its text differs, so
    // a refresh that changes nothing costs no redraw; every field counts as unedited after it
    // either way. Nothing happens without a window.
    void Fill(const TransformBarFields::Texts& texts, const std::string& name);
    // What the nine value fields hold now (typed or written), in field order.
    TransformBarFields::Texts ReadTexts() const;
    // The fields whose text was changed (typed, pasted, cleared) since the bar last filled
    // them: bit i for field i. Typing the very text that was shown counts.
    unsigned GetEdited() const { return m_edited; }
    // Whether the keyboard focus is on the bar or one of its controls.
    bool HasFocus() const;

private:
    void WriteText(int id, const std::string& text);
    void OnFieldText(wxCommandEvent& event);

    wxWeakRef<wxPanel> m_window;
    unsigned m_edited = 0;
};
