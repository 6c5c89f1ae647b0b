// The status line's texts between two drawn frames. Every text the editor shows there (a drag's
// change, the selection count, a hovered button's help, refusals, the outcome of an import,
// open or save) is handed to CStatusLine, which keeps the latest text of each field; the
// frame's tick (or idle time, when no render loop runs) applies the fields that changed to the
// status bar in one go. A drag sets its text on every pointer move, which may come several
// times a frame: the bar is told at most once a frame.
//
// CStatusBar is the bar itself: the toolkit's generic bar repaints itself (and, through the
// toolkit, the docking frame around it) at once whenever a text changes; this one only marks
// the changed field for the next paint, so no input handler waits for a repaint.
#pragma once

#include <wx/statusbr.h>
#include <wx/string.h>

#include <vector>

class CStatusBar : public wxStatusBar {
public:
    CStatusBar(wxWindow* parent, wxWindowID id, long style, const wxString& name);

protected:
    void DoUpdateStatusText(int field) override;
};

class CStatusLine {
public:
    // The bar the texts are applied to (null: none, and texts set are dropped).
    void Attach(wxStatusBar* bar);
    wxStatusBar* Bar() const { return m_bar; }
    // Keeps `text` for `field`, to be applied at the next Flush. A field the bar does not have
    // is ignored.
    void Set(const wxString& text, int field);
    // The latest text of `field`, applied or not ("" for a field the bar does not have).
    wxString Text(int field) const;
    // True when a text waits to be applied.
    bool Pending() const { return m_pending; }
    // Applies every field whose text changed since the last Flush; answers how many.
    int Flush();
    // How many texts were applied to the bar since it was attached (tests).
    int AppliedCount() const { return m_applied; }

private:
    struct Field {
        wxString text;      // the latest text set
        wxString shown;     // the text last applied to the bar
        bool dirty = false; // text differs from shown
    };
    bool HasField(int field) const;
    // Follows the bar's field count.
    void MatchFields();

    wxStatusBar* m_bar = nullptr;
    std::vector<Field> m_fields;
    bool m_pending = false;
    int m_applied = 0;
};
