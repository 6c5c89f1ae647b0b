#include "GizmoOptionsBar.h"

#include "CEditorHost.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
const wxColour kRed(220, 40, 40), kGreen(40, 170, 40), kBlue(50, 80, 230);
const wxColour kGrey(110, 110, 110), kYellow(230, 170, 0);

// The icons are drawn here, point by point, on a transparent image of the tool strips' size.
class CIcon {
public:
    CIcon() : m_image(CGizmoOptionsBar::kIconSize, CGizmoOptionsBar::kIconSize) {
        m_image.InitAlpha();
        unsigned char* alpha = m_image.GetAlpha();
        std::fill(alpha, alpha + m_image.GetWidth() * m_image.GetHeight(), 0);
    }
    void Dot(double cx, double cy, double radius, const wxColour& colour) {
        const int size = m_image.GetWidth();
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= radius)
                    Set(x, y, colour);
    }
    // A line `width` pixels wide, as dots a quarter pixel apart.
    void Line(double x0, double y0, double x1, double y1, double width, const wxColour& colour) {
        const int steps = std::max(1, int(std::hypot(x1 - x0, y1 - y0) * 4));
        for (int i = 0; i <= steps; ++i) {
            const double t = double(i) / steps;
            Dot(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, colour);
        }
    }
    void Square(double cx, double cy, double half, const wxColour& colour) {
        Line(cx - half, cy - half, cx + half, cy - half, 1.2, colour);
        Line(cx + half, cy - half, cx + half, cy + half, 1.2, colour);
        Line(cx + half, cy + half, cx - half, cy + half, 1.2, colour);
        Line(cx - half, cy + half, cx - half, cy - half, 1.2, colour);
    }
    wxBitmap Bitmap() const { return wxBitmap(m_image); }

private:
    void Set(int x, int y, const wxColour& colour) {
        m_image.SetRGB(x, y, colour.Red(), colour.Green(), colour.Blue());
        m_image.SetAlpha(x, y, 255);
    }
    wxImage m_image;
};

// Three axes from one corner: upright for the world's, turned for an entity's own.
wxBitmap SpaceIcon(int space) {
    CIcon icon;
    const double turn = space == SPACE_LOCAL ? -0.52 : 0.0; // about 30 degrees
    const double ox = 10, oy = 18;
    const struct {
        double angle, length;
        const wxColour& colour;
    } axes[] = {{0.0, 14, kRed}, {kPi / 2, 14, kGreen}, {kPi * 1.25, 8, kBlue}};
    for (const auto& axis : axes) {
        const double a = axis.angle - turn;
        icon.Line(ox, oy, ox + std::cos(a) * axis.length, oy - std::sin(a) * axis.length, 2.2,
                  axis.colour);
    }
    return icon.Bitmap();
}

// Three entities with a pivot each, or one pivot they share.
wxBitmap PivotIcon(int pivot) {
    CIcon icon;
    const double centres[3][2] = {{7, 8}, {21, 9}, {13, 21}};
    const double mx = (7 + 21 + 13) / 3.0, my = (8 + 9 + 21) / 3.0;
    for (const auto& c : centres) {
        icon.Square(c[0], c[1], 4, kGrey);
        if (pivot == PIVOT_MEDIAN)
            icon.Line(c[0], c[1], mx, my, 1.0, kYellow);
        else
            icon.Dot(c[0], c[1], 1.8, kYellow);
    }
    if (pivot == PIVOT_MEDIAN)
        icon.Dot(mx, my, 2.6, kYellow);
    return icon.Bitmap();
}

// A box standing on a slope, upright to it.
wxBitmap AlignNormalIcon() {
    CIcon icon;
    icon.Line(3, 24, 25, 12, 1.6, kGrey);
    icon.Line(17, 9, 14, 3, 1.6, kYellow);
    icon.Square(13, 12, 4.5, kBlue);
    return icon.Bitmap();
}

} // namespace

CGizmoOptionsBar::CGizmoOptionsBar(wxWindow* parent, CEditorHost& host)
    : wxAuiToolBar(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                   wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_TEXT | wxAUI_TB_HORZ_LAYOUT),
      m_host(host) {
    SetToolBitmapSize(wxSize(kIconSize, kIconSize));
    const GizmoOptions options = m_host.gizmoOptions();
    AddTool(ID_SPACE, SpaceLabel(options.space), SpaceIcon(options.space),
            wxString::FromUTF8("移动轴：世界/局部 (L)"));
    AddTool(ID_PIVOT, PivotLabel(options.pivot), PivotIcon(options.pivot),
            wxString::FromUTF8("旋转和缩放的中心：各自中心/共同中心"));
    AddTool(ID_ALIGN_NORMAL, wxString::FromUTF8("对齐法线"), AlignNormalIcon(), wxNullBitmap,
            wxITEM_CHECK, wxString::FromUTF8("表面吸附（Ctrl+Shift 拖动中心）时随表面法线转动"),
            wxEmptyString, nullptr);
    ToggleTool(ID_ALIGN_NORMAL, options.alignNormal != 0);
    Realize();
    Bind(wxEVT_TOOL, &CGizmoOptionsBar::OnTool, this);
}

wxString CGizmoOptionsBar::SpaceLabel(int space) {
    return wxString::FromUTF8(space == SPACE_LOCAL ? "局部" : "世界");
}

wxString CGizmoOptionsBar::PivotLabel(int pivot) {
    return wxString::FromUTF8(pivot == PIVOT_MEDIAN ? "共同中心" : "各自中心");
}

bool CGizmoOptionsBar::Sync() {
    const GizmoOptions options = m_host.gizmoOptions();
    bool changed = false;
    const struct {
        int id;
        wxString label;
        wxBitmap icon;
    } buttons[] = {{ID_SPACE, SpaceLabel(options.space), SpaceIcon(options.space)},
                   {ID_PIVOT, PivotLabel(options.pivot), PivotIcon(options.pivot)}};
    for (const auto& button : buttons) {
        wxAuiToolBarItem* item = FindTool(button.id);
        if (!item || item->GetLabel() == button.label)
            continue;
        item->SetLabel(button.label);
        item->SetBitmap(button.icon);
        changed = true;
    }
    if (GetToolToggled(ID_ALIGN_NORMAL) != (options.alignNormal != 0)) {
        ToggleTool(ID_ALIGN_NORMAL, options.alignNormal != 0);
        Refresh(false);
    }
    if (changed) {
        Realize();
        Refresh(false);
    }
    return changed;
}

bool CGizmoOptionsBar::Click(int id) {
    if (id != ID_SPACE && id != ID_PIVOT && id != ID_ALIGN_NORMAL)
        return false;
    wxCommandEvent click(wxEVT_TOOL, id);
    click.SetEventObject(this);
    ProcessWindowEvent(click);
    return true;
}

void CGizmoOptionsBar::OnTool(wxCommandEvent& event) {
    if (event.GetId() == ID_SPACE)
        m_host.ToggleGizmoSpace();
    else if (event.GetId() == ID_PIVOT)
        m_host.ToggleGizmoPivot();
    else if (event.GetId() == ID_ALIGN_NORMAL)
        m_host.ToggleGizmoAlignNormal();
    else
        event.Skip();
}
