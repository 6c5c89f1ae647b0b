// The outliner's pictures of the kinds of entity, 16x16, drawn pixel by pixel.
#include "OutlinerIcons.h"

#include <wx/image.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A 16x16 picture drawn pixel by pixel, transparent where nothing is drawn.
class CIconPainter {
public:
    CIconPainter() : m_image(16, 16) {
        m_image.InitAlpha();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                m_image.SetAlpha(x, y, 0);
    }
    void Dot(int x, int y, const wxColour& c) {
        if (x < 0 || y < 0 || x > 15 || y > 15)
            return;
        m_image.SetRGB(x, y, c.Red(), c.Green(), c.Blue());
        m_image.SetAlpha(x, y, 255);
    }
    void Fill(int x0, int y0, int x1, int y1, const wxColour& c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Dot(x, y, c);
    }
    void Frame(int x0, int y0, int x1, int y1, const wxColour& c) {
        Fill(x0, y0, x1, y0, c);
        Fill(x0, y1, x1, y1, c);
        Fill(x0, y0, x0, y1, c);
        Fill(x1, y0, x1, y1, c);
    }
    void Line(int x0, int y0, int x1, int y1, const wxColour& c) {
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= steps; ++i) {
            const double t = steps ? double(i) / steps : 0.0;
            Dot(int(std::lround(x0 + (x1 - x0) * t)), int(std::lround(y0 + (y1 - y0) * t)), c);
        }
    }
    void Disc(double cx, double cy, double r, const wxColour& fill, const wxColour& edge) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d <= r)
                    Dot(x, y, d > r - 1.0 ? edge : fill);
            }
    }
    wxBitmap Bitmap() const { return wxBitmap(m_image); }

private:
    wxImage m_image;
};

wxBitmap MeshIcon() {
    // A box seen from above a corner: a light top, a blue front and a darker side.
    CIconPainter p;
    const wxColour edge(20, 50, 110), top(150, 190, 245), front(70, 120, 210), side(45, 85, 165);
    p.Fill(2, 5, 10, 13, front);
    p.Fill(11, 5, 13, 11, side);
    for (int i = 0; i < 3; ++i)
        p.Fill(5 - i, 2 + i, 13 - i, 2 + i, top);
    p.Line(5, 2, 13, 2, edge);
    p.Line(2, 5, 5, 2, edge);
    p.Line(13, 2, 13, 11, edge);
    p.Line(10, 5, 13, 2, edge);
    p.Line(10, 13, 13, 10, edge);
    p.Frame(2, 5, 10, 13, edge);
    return p.Bitmap();
}

wxBitmap LightIcon() {
    // A yellow bulb with short rays.
    CIconPainter p;
    const wxColour ray(200, 140, 0), bulb(255, 215, 40), edge(170, 110, 0);
    p.Line(7, 0, 7, 2, ray);
    p.Line(7, 13, 7, 15, ray);
    p.Line(0, 7, 2, 7, ray);
    p.Line(13, 7, 15, 7, ray);
    p.Line(2, 2, 3, 3, ray);
    p.Line(12, 12, 13, 13, ray);
    p.Line(2, 12, 3, 11, ray);
    p.Line(12, 3, 13, 2, ray);
    p.Disc(7.5, 7.5, 4.6, bulb, edge);
    return p.Bitmap();
}

wxBitmap GroupIcon() {
    // A folder: an entity that only holds others.
    CIconPainter p;
    const wxColour edge(130, 95, 30), tab(225, 185, 95), body(240, 205, 120);
    p.Fill(1, 3, 6, 5, tab);
    p.Frame(1, 3, 6, 5, edge);
    p.Fill(1, 5, 14, 13, body);
    p.Frame(1, 5, 14, 13, edge);
    return p.Bitmap();
}

wxBitmap MissingIcon() {
    // A grey box crossed out in red: the mesh could not be loaded.
    CIconPainter p;
    const wxColour box(190, 190, 190), edge(110, 110, 110), cross(215, 30, 30);
    p.Fill(2, 2, 13, 13, box);
    p.Frame(2, 2, 13, 13, edge);
    for (int d = 0; d < 2; ++d) {
        p.Line(3 + d, 3, 12, 12 - d, cross);
        p.Line(3 + d, 12, 12, 3 + d, cross);
    }
    return p.Bitmap();
}

} // namespace

std::vector<wxBitmap> OutlinerIcons() {
    return {MeshIcon(), LightIcon(), GroupIcon(), MissingIcon()};
}
