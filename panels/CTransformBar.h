// The transform bar: a one-line panel from template 109, docked at the bottom edge of the
// editor's main frame while the plug-in is loaded.
#pragma once

#include "TransformBarFields.h"

#include <wx/panel.h>
#include <type_traits> // wx/weakref.h needs it first
#include <wx/weakref.h>

#include <string>

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
    // a refresh that changes nothing costs no redraw; the texts are remembered as what the bar
    // last wrote either way. Nothing happens without a window.
    void Fill(const TransformBarFields::Texts& texts, const std::string& name);
    // What the nine value fields hold now (typed or written), in field order.
    TransformBarFields::Texts ReadTexts() const;
    // What the bar last wrote into its value fields; empty texts before the first fill.
    const TransformBarFields::Texts& GetWritten() const { return m_written; }
    // How many times a control's text was actually replaced (for measurements and tests).
    long GetWriteCount() const { return m_writeCount; }

private:
    void WriteText(int id, const std::string& text);

    wxWeakRef<wxPanel> m_window;
    wxWindow* m_frame = nullptr;
    TransformBarFields::Texts m_written;
    long m_writeCount = 0;
};
