// The gizmo's parts against the numbers the rest of the editor sees, and the row-vector matrix
// type against Ogre's own.
#include "D3dxMath.h"
#include "GizmoConstants.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using Ogre::Vector3;

namespace {

// The external numbers: a drag result carries them to the plug-in, and they must never move.
struct Numbered {
    GizmoPart part;
    int number;
    int mode;
};
const Numbered kExternal[] = {
    {GizmoPart::None, 0, MODE_SELECT},       {GizmoPart::MoveX, 2, MODE_MOVE},
    {GizmoPart::MoveY, 3, MODE_MOVE},        {GizmoPart::MoveZ, 4, MODE_MOVE},
    {GizmoPart::RotateView, 5, MODE_ROTATE}, {GizmoPart::RotateFree, 6, MODE_ROTATE},
    {GizmoPart::RotateX, 7, MODE_ROTATE},    {GizmoPart::RotateY, 8, MODE_ROTATE},
    {GizmoPart::RotateZ, 9, MODE_ROTATE},    {GizmoPart::ScaleAll, 10, MODE_SCALE},
    {GizmoPart::ScaleX, 11, MODE_SCALE},     {GizmoPart::ScaleY, 12, MODE_SCALE},
    {GizmoPart::ScaleZ, 13, MODE_SCALE},     {GizmoPart::MovePlaneYZ, 14, MODE_MOVE},
    {GizmoPart::MovePlaneXZ, 15, MODE_MOVE}, {GizmoPart::MovePlaneXY, 16, MODE_MOVE},
};

} // namespace

TEST(GizmoParts, EveryPartMapsToItsExternalNumberAndBack) {
    ASSERT_EQ(kPartCount, int(sizeof kExternal / sizeof kExternal[0]));
    for (const Numbered& n : kExternal) {
        SCOPED_TRACE(n.number);
        // The table's row is the part's own (a row out of order would answer for another part).
        EXPECT_EQ(PartInfo(n.part).part, n.part);
        EXPECT_EQ(PartNumber(n.part), n.number);
        EXPECT_EQ(PartFromNumber(n.number), n.part);
        EXPECT_EQ(PartInfo(n.part).mode, n.mode);
    }
    // Numbers no part has, and values outside the enumeration, are no part.
    for (int number : {-1, 1, 17, 100})
        EXPECT_EQ(PartFromNumber(number), GizmoPart::None) << number;
    EXPECT_EQ(PartNumber(static_cast<GizmoPart>(kPartCount)), 0);
    EXPECT_EQ(PartNumber(static_cast<GizmoPart>(-1)), 0);
}

TEST(GizmoParts, AxisPartsFollowTheirFirstAndHighlightTheirAxis) {
    // The handle sets name an axis part by its X part and the axis: Y and Z must follow X, and
    // the highlight of each is its axis line and colour.
    std::set<int> numbers;
    for (GizmoPart first : {GizmoPart::MoveX, GizmoPart::RotateX, GizmoPart::ScaleX}) {
        for (int axis = 0; axis < GizmoGeometry::kAxisCount; ++axis) {
            const GizmoPartRow& info = PartInfo(AxisPart(first, axis));
            SCOPED_TRACE(info.number);
            EXPECT_EQ(info.mode, PartInfo(first).mode);
            EXPECT_EQ(info.axis, axis);
            EXPECT_EQ(info.element, axis);
            EXPECT_NE(info.highlight, nullptr);
            EXPECT_EQ(MaterialOf(info.part), MaterialOf(AxisPart(GizmoPart::MoveX, axis)));
            numbers.insert(info.number);
        }
    }
    EXPECT_EQ(numbers.size(), 9u);
    // The parts that are no axis highlight no axis line; only the centre box lights a colour.
    for (GizmoPart part :
         {GizmoPart::None, GizmoPart::RotateView, GizmoPart::RotateFree, GizmoPart::ScaleAll}) {
        EXPECT_EQ(PartInfo(part).axis, -1) << PartNumber(part);
        EXPECT_EQ(PartInfo(part).highlight != nullptr, part == GizmoPart::ScaleAll);
    }
    EXPECT_EQ(PartInfo(GizmoPart::RotateView).element, ELEMENT_OUTER_RING);
    EXPECT_EQ(PartInfo(GizmoPart::ScaleAll).element, ELEMENT_CENTRE);
    EXPECT_EQ(PartInfo(GizmoPart::RotateFree).element, ELEMENT_NONE);
}

TEST(GizmoParts, EachSetTakesExactlyItsRowsAndTheMaterialListEveryRowsMaterial) {
    // Every part belongs to the one set of its mode: a row outside its set's run would be built,
    // picked and highlighted by no set.
    int inSets = 0;
    for (int mode : {MODE_MOVE, MODE_ROTATE, MODE_SCALE}) {
        for (const GizmoPartRow& row : RowsOf(mode)) {
            EXPECT_EQ(row.mode, mode) << row.number;
            ++inSets;
        }
    }
    EXPECT_EQ(inSets, kPartCount - 1);
    EXPECT_EQ(RowsOf(MODE_SELECT).size(), 1);
    EXPECT_EQ(RowsOf(99).size(), 0);
    EXPECT_EQ(RowsOf(MODE_MOVE).Find(GizmoPart::ScaleX), nullptr);

    // The material list names each material once, and its colour is the rows' colour.
    std::set<std::string> names(GizmoGeometry::kMaterialNames.begin(),
                                GizmoGeometry::kMaterialNames.end());
    EXPECT_EQ(int(names.size()), MATERIAL_COUNT);
    for (const GizmoPartRow& row : kPartTable) {
        if (row.part == GizmoPart::None)
            continue;
        SCOPED_TRACE(row.number);
        const int m = MaterialOf(row.part);
        ASSERT_GE(m, 0);
        EXPECT_STREQ(GizmoGeometry::kMaterialNames[m], row.material);
        EXPECT_EQ(GizmoGeometry::kNormalColours[m], GizmoGeometry::ToColourValue(row.colour));
    }
    EXPECT_EQ(MaterialOf(GizmoPart::None), -1);
}

TEST(RowMatrix, ConversionsKeepTheTransform) {
    // A turn, a stretch and a shift, so that a missing or doubled transpose shows.
    d3dx::RowMatrix turn, stretch, shift, m;
    d3dx::MatrixRotationYawPitchRoll(turn, 0.4f, -0.9f, 1.3f);
    d3dx::MatrixScaling(stretch, 2, 3, 0.5f);
    d3dx::MatrixTranslation(shift, 7, -1, 4);
    d3dx::MatrixMultiply(m, stretch, turn);
    d3dx::MatrixMultiply(m, m, shift);

    // The host takes the rows as they are stored: the translation sits in row 3.
    EXPECT_EQ(m.HostRows()[3][0], 7.0f);
    EXPECT_EQ(m.Translation(), Vector3(7, -1, 4));
    EXPECT_EQ(d3dx::RowMatrix::FromHostRows(m.HostRows()), m);

    // Ogre's column matrix of the same transform moves points the same way.
    const Ogre::Matrix4 column = m.ToColumnMatrix();
    for (const Vector3& p : {Vector3(1, 0, 0), Vector3(0.3f, -2, 5), Vector3(-4, 1, 1)}) {
        const Vector3 row = d3dx::Vec3TransformCoord(p, m);
        const Vector3 col = column * p;
        EXPECT_LT(row.distance(col), 1e-5f) << p;
    }
}
