#include "CPropertyInfoPane.h"

#include "CPropertyTreeWnd.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

using namespace proptree;

CPropertyInfoPane::CPropertyInfoPane(CPropertyTreeWnd* control) : m_pControl(control) {}

bool CPropertyInfoPane::Create() {
    // The toolkit's id for static windows: ids above 32767 are not allowed.
    if (!wxWindow::Create(m_pControl, wxID_STATIC, wxDefaultPosition, wxSize(-1, kInfoPaneHeight),
                          wxBORDER_NONE))
        return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CPropertyInfoPane::OnPaint, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        Refresh();
        event.Skip();
    });
    return true;
}

void CPropertyInfoPane::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    Render(dc);
}

void CPropertyInfoPane::Render(wxDC& dc) {
    const wxSize size = GetClientSize();
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.DrawRectangle(0, 0, size.x, size.y);
    const wxRect frame(0, 2, size.x, size.y - 4);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(frame);

    wxString title;
    wxString body;
    if (const CPropertyNode* focus = m_pControl->GetFocusedItem()) {
        title = wxString::FromUTF8(focus->GetLabel());
        body = wxString::FromUTF8(focus->GetInfoText());
    } else if (m_pControl->GetFlags() & kStyleNoItemText) {
        title = "No Item Selected";
        body = "Select an item to see its description.";
    } else {
        return;
    }

    const wxRect inside(frame.x + 4, frame.y + 2, frame.width - 8, frame.height - 4);
    if (inside.width <= 0 || inside.height <= 0)
        return;
    wxDCClipper clip(dc, inside);
    dc.SetTextForeground(wxSystemSettings::GetColour(
        m_pControl->IsEnabled() ? wxSYS_COLOUR_BTNTEXT : wxSYS_COLOUR_GRAYTEXT));
    dc.SetFont(CPropertyTreeWnd::GetBoldFont());
    dc.DrawText(title, inside.x, inside.y);
    int y = inside.y + dc.GetCharHeight();
    dc.SetFont(CPropertyTreeWnd::GetNormalFont());
    const int lineHeight = dc.GetCharHeight();
    for (const wxString& line : WrapText(dc, body, inside.width)) {
        if (y >= inside.GetBottom())
            break;
        dc.DrawText(line, inside.x, y);
        y += lineHeight;
    }
}

std::vector<wxString> CPropertyInfoPane::WrapText(wxDC& dc, const wxString& text, int width) {
    std::vector<wxString> lines;
    wxString line;
    int lastSpace = -1; // index in `line` of the last space, where a break can go
    auto fits = [&](const wxString& s) { return dc.GetTextExtent(s).x <= width; };
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
        const wxUniChar ch = *it;
        if (ch == '\n') {
            lines.push_back(line);
            line.clear();
            lastSpace = -1;
            continue;
        }
        line += ch;
        if (ch == ' ')
            lastSpace = static_cast<int>(line.length()) - 1;
        if (fits(line) || line.length() == 1)
            continue;
        if (ch == ' ') {
            // The space that overflows ends the line.
            line.RemoveLast();
            lines.push_back(line);
            line.clear();
            lastSpace = -1;
        } else if (lastSpace > 0) {
            lines.push_back(line.Left(lastSpace));
            line = line.Mid(lastSpace + 1);
            lastSpace = -1;
        } else {
            lines.push_back(line.Left(line.length() - 1));
            line = wxString(ch);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}
