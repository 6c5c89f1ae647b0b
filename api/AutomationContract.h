// What the editor's scripts rely on to find the plug-in's controls. The plug-in builds its
// windows with these ids and names, and the editor's script commands look the windows up by
// them, so both read one definition.
//
// The side panel's controls and the transform bar's fields carry ids from kControlFirst to
// kControlLast; "show panel|bar" lists every window of that range. The light page's property
// tree is the side panel's child kLightTreeId; its rows are the windows inside the window
// named kLightRowsName, each named after its label; the colour row is named kLightColourRow.
//
// The colour picker popup of the colour row answers where its items are: a wxCommandEvent of
// type kPickerItemQuery sent to the popup, with an item's name as its string and a wxRect* as
// its client data, comes back with GetInt() == 1 and the item's screen rectangle filled in;
// with GetInt() == 0 when the popup has no item of that name. The items are named
// kPickerAutomatic, kPickerCustom, and kPickerCellPrefix followed by the cell's index (0-39,
// row by row from the top left).
#pragma once

namespace automation {

// Side panel and transform bar.
constexpr int kControlFirst = 1000;
constexpr int kControlLast = 1099;
constexpr int kPositionX = 1001; // the first number box: present once the panel is built
// The panel's buttons and check boxes that scripts click, kPlanMap to kSnap.
constexpr int kPlanMap = 1021;
constexpr int kGroundFollow = 1022;
constexpr int kSnap = 1023;

// The light page.
constexpr int kLightTreeId = 8192;
constexpr const char* kLightRowsName = "light rows";
constexpr const char* kLightColourRow = "颜色";

// The colour picker popup. The event type is a fixed number far above the toolkit's own
// (which it counts up from 10000), so that both sides agree on it without sharing a symbol.
constexpr int kPickerItemQuery = 0x475A0001;
constexpr const char* kPickerAutomatic = "automatic";
constexpr const char* kPickerCustom = "more colours";
constexpr const char* kPickerCellPrefix = "cell ";
constexpr int kPickerCellCount = 40;

// The gizmo's engine entities, which "handle" reads to find where each part is drawn:
// kGizmoPartEntity with 0-2 the arrow cones (X, Y, Z), 3-5 the axis boxes, 6 the centre box,
// 12-14 the move plane squares (by their normal: the YZ, XZ and XY planes), each square's node
// at the square's centre;
// kGizmoRingEntity with 7-9 the axis rings, 10 the inner and 11 the outer ring; and the axis
// lines kGizmoAxisEntity.
constexpr const char* kGizmoPartEntity = "CMapSelectMgrEn%d";
constexpr const char* kGizmoRingEntity = "CMapSelectMgrEnd%d";
constexpr const char* kGizmoAxisEntity = "AxisEntity";
constexpr int kGizmoFirstArrow = 0;
constexpr int kGizmoFirstAxisBox = 3;
constexpr int kGizmoCentreBox = 6;
constexpr int kGizmoFirstAxisRing = 7;
constexpr int kGizmoInnerRing = 10;
constexpr int kGizmoOuterRing = 11;
constexpr int kGizmoFirstPlane = 12;

// The move tool's vertex snapping draws its marks as engine objects of these names: the vertex
// it moves from, and the one it lands on (a larger square around it); scripts and tests read
// them.
constexpr const char* kVertexFromMarkObject = "GizmarkVertexFromMark";
constexpr const char* kVertexToMarkObject = "GizmarkVertexToMark";

} // namespace automation
