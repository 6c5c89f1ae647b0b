#include "CStatusLine.h"

#include <algorithm>

CStatusBar::CStatusBar(wxWindow* parent, wxWindowID id, long style, const wxString& name)
    : wxStatusBar(parent, id, style, name) {}

void CStatusBar::DoUpdateStatusText(int field) {
    // The generic bar would also call Update() here: a synchronous repaint on every change.
    wxRect rect;
    if (GetFieldRect(field, rect))
        RefreshRect(rect);
}

void CStatusLine::Attach(wxStatusBar* bar) {
    m_bar = bar;
    m_fields.clear();
    m_pending = false;
    m_applied = 0;
    MatchFields();
}

void CStatusLine::MatchFields() {
    const size_t count = m_bar ? static_cast<size_t>(m_bar->GetFieldsCount()) : 0;
    if (count == m_fields.size())
        return;
    const size_t kept = std::min(count, m_fields.size());
    m_fields.resize(count);
    // A field the bar has gained starts with the bar's text.
    for (size_t i = kept; i < count; ++i)
        m_fields[i].text = m_fields[i].shown = m_bar->GetStatusText(static_cast<int>(i));
}

bool CStatusLine::HasField(int field) const {
    return field >= 0 && static_cast<size_t>(field) < m_fields.size();
}

void CStatusLine::Set(const wxString& text, int field) {
    MatchFields(); // the bar's field count may have changed since it was attached
    if (!HasField(field))
        return;
    Field& f = m_fields[static_cast<size_t>(field)];
    f.text = text;
    f.dirty = f.text != f.shown;
    if (f.dirty)
        m_pending = true;
}

wxString CStatusLine::Text(int field) const {
    return HasField(field) ? m_fields[static_cast<size_t>(field)].text : wxString();
}

int CStatusLine::Flush() {
    if (!m_pending)
        return 0;
    m_pending = false;
    int applied = 0;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        Field& f = m_fields[i];
        if (!f.dirty)
            continue;
        f.dirty = false;
        f.shown = f.text;
        if (m_bar && static_cast<int>(i) < m_bar->GetFieldsCount()) {
            m_bar->SetStatusText(f.text, static_cast<int>(i));
            ++applied;
        }
    }
    m_applied += applied;
    return applied;
}
