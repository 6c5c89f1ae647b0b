#include "PlaceOperations.h"

#include "CEditorHost.h"
#include "CEditorUndoManager.h"

#include <wx/menu.h>
#include <wx/window.h>

#include <cstring>
#include <string>

namespace PlaceOps {

namespace {

bool IsAxis(const char* axis) {
    return axis && (!std::strcmp(axis, "x") || !std::strcmp(axis, "y") || !std::strcmp(axis, "z"));
}

int Do(CEditorHost& host, const char* name, CommandParams params) {
    const bool done = host.Undo().doCommand(name, &params);
    host.redraw();
    return done ? std::stoi(params["moved"]) : 0;
}

} // namespace

int Align(CEditorHost& host, const char* axis, const char* to) {
    if (!IsAxis(axis) || !to ||
        (std::strcmp(to, "min") && std::strcmp(to, "center") && std::strcmp(to, "max")))
        return -1;
    return Do(host, "AlignEntity", {{"axis", axis}, {"to", to}});
}

int Distribute(CEditorHost& host, const char* axis) {
    if (!IsAxis(axis))
        return -1;
    return Do(host, "DistributeEntity", {{"axis", axis}});
}

void AppendMenus(wxMenu* tools, wxWindow& window, CEditorHost& host) {
    static const char* const axes[] = {"x", "y", "z"};
    static const char* const sides[] = {"min", "center", "max"};
    static const char* const sideNames[] = {"最小", "居中", "最大"};
    auto* align = new wxMenu;
    auto* distribute = new wxMenu;
    for (int a = 0; a < 3; ++a) {
        const wxString axisName = wxString(axes[a]).Upper();
        for (int s = 0; s < 3; ++s) {
            const int id = wxWindow::NewControlId();
            align->Append(id, axisName + " " + wxString::FromUTF8(sideNames[s]));
            window.Bind(
                wxEVT_MENU, [&host, a, s](wxCommandEvent&) { Align(host, axes[a], sides[s]); }, id);
        }
        if (a < 2)
            align->AppendSeparator();
        const int id = wxWindow::NewControlId();
        distribute->Append(id, axisName);
        window.Bind(
            wxEVT_MENU, [&host, a](wxCommandEvent&) { Distribute(host, axes[a]); }, id);
    }
    tools->AppendSubMenu(align, wxString::FromUTF8("对齐"));
    tools->AppendSubMenu(distribute, wxString::FromUTF8("分布"));
}

} // namespace PlaceOps
