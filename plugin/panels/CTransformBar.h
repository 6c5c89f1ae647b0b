// The transform bar: a one-line panel from template 109, docked at the bottom edge of the
// editor's main frame while the plug-in is loaded.
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

    // Builds the bar as a child of frame and docks it at the frame's bottom edge.
    // False when there is no frame or the template cannot be loaded.
    bool Create(wxWindow* frame);
    // Undocks the bar and destroys its window; harmless when it has none.
    void Destroy();

    wxPanel* GetWindow() const { return m_window.get(); }
    bool IsDocked() const;
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
    // How many times a control's text was actually replaced (for measurements and tests).
    long GetWriteCount() const { return m_writeCount; }

private:
    void WriteText(int id, const std::string& text);
    void OnFieldText(wxCommandEvent& event);

    wxWeakRef<wxPanel> m_window;
    wxWindow* m_frame = nullptr;
    unsigned m_edited = 0;
    long m_writeCount = 0;
};
