// The face tables checked from their own numbers: winding against the normal, the picture's
// reading direction, closed solids, and the book's back page read from behind.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "face_tables.h"
#include "scene_lists.h"

namespace {

struct Vec {
    double X, Y, Z;
};

Vec Sub(const Vec& a, const Vec& b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
Vec Cross(const Vec& a, const Vec& b)
{
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
double Dot(const Vec& a, const Vec& b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
double Length(const Vec& a) { return std::sqrt(Dot(a, a)); }

Vec CornerAt(const FaceGeometry& face, int i)
{
    const FaceCorner& c = face.Corners[i];
    return {c.X, c.Y, c.Z};
}

// Newell's normal: points to the side from which the corners run counter-clockwise.
Vec WindingNormal(const FaceGeometry& face)
{
    Vec n{0, 0, 0};
    for (int i = 0; i < face.CornerCount; ++i) {
        const Vec a = CornerAt(face, i);
        const Vec b = CornerAt(face, (i + 1) % face.CornerCount);
        n.X += (a.Y - b.Y) * (a.Z + b.Z);
        n.Y += (a.Z - b.Z) * (a.X + b.X);
        n.Z += (a.X - b.X) * (a.Y + b.Y);
    }
    return n;
}

// Twice the signed area of the texture coordinates in corner order: positive when they run
// counter-clockwise in the picture, that is when the picture is not mirrored on the face.
double TextureArea(const FaceGeometry& face)
{
    double area = 0;
    for (int i = 0; i < face.CornerCount; ++i) {
        const FaceCorner& a = face.Corners[i];
        const FaceCorner& b = face.Corners[(i + 1) % face.CornerCount];
        area += a.S * b.T - b.S * a.T;
    }
    return area;
}

struct NamedFace {
    std::string Name;
    const FaceGeometry* Face;
};

std::vector<NamedFace> AllFaces()
{
    std::vector<NamedFace> faces;
    const std::pair<int, const char*> solids[] = {{2, "card"}, {5, "pyramid"}, {6, "cube"}};
    for (const auto& [count, name] : solids) {
        const SolidFaces solid = SolidFacesFor(count);
        for (int i = 0; i < solid.Count; ++i)
            faces.push_back({std::string(name) + " face " + std::to_string(i),
                             &solid.Faces[i].Geometry});
    }
    faces.push_back({"right page front", &kRightPageFront});
    faces.push_back({"right page back", &kRightPageBack});
    faces.push_back({"left page", &kLeftPage});
    return faces;
}

TEST(FaceTables, EveryFaceIsWoundCounterClockwiseAboutItsNormal)
{
    for (const NamedFace& named : AllFaces()) {
        SCOPED_TRACE(named.Name);
        const FaceGeometry& face = *named.Face;
        const Vec normal{face.Normal[0], face.Normal[1], face.Normal[2]};
        const Vec winding = WindingNormal(face);
        // Same direction: positive along the normal, nothing across it.
        EXPECT_GT(Dot(winding, normal), 0);
        EXPECT_NEAR(Length(Cross(winding, normal)), 0, 1e-9);
        // Flat: every corner in the plane of the first one.
        for (int i = 1; i < face.CornerCount; ++i)
            EXPECT_NEAR(Dot(Sub(CornerAt(face, i), CornerAt(face, 0)), winding), 0, 1e-9);
    }
}

TEST(FaceTables, EveryPictureReadsCorrectlyFromTheFront)
{
    for (const NamedFace& named : AllFaces()) {
        SCOPED_TRACE(named.Name);
        const FaceGeometry& face = *named.Face;
        EXPECT_GT(TextureArea(face), 0);  // not mirrored
        const Vec normal{face.Normal[0], face.Normal[1], face.Normal[2]};
        const bool upright = std::fabs(normal.Y) < std::hypot(normal.X, normal.Z);
        if (!upright)
            continue;  // top, bottom and base have no "up"
        // The picture's top row lies above its bottom row.
        for (int i = 0; i < face.CornerCount; ++i) {
            for (int j = 0; j < face.CornerCount; ++j) {
                if (face.Corners[i].T == 1 && face.Corners[j].T == 0) {
                    EXPECT_GT(face.Corners[i].Y, face.Corners[j].Y);
                }
            }
        }
    }
}

TEST(FaceTables, QuadsShowTheWholePicture)
{
    for (const NamedFace& named : AllFaces()) {
        const FaceGeometry& face = *named.Face;
        if (face.CornerCount != 4)
            continue;
        std::map<std::pair<float, float>, int> seen;
        for (int i = 0; i < 4; ++i)
            ++seen[{face.Corners[i].S, face.Corners[i].T}];
        EXPECT_EQ(seen, (std::map<std::pair<float, float>, int>{
                            {{0.f, 0.f}, 1}, {{0.f, 1.f}, 1}, {{1.f, 0.f}, 1}, {{1.f, 1.f}, 1}}))
            << named.Name;
    }
}

// Each edge of a closed solid is walked once in each direction by the two faces that share it.
void ExpectClosed(const SolidFaces& solid)
{
    std::map<std::tuple<float, float, float, float, float, float>, int> edges;
    for (int f = 0; f < solid.Count; ++f) {
        const FaceGeometry& face = solid.Faces[f].Geometry;
        for (int i = 0; i < face.CornerCount; ++i) {
            const FaceCorner& a = face.Corners[i];
            const FaceCorner& b = face.Corners[(i + 1) % face.CornerCount];
            ++edges[{a.X, a.Y, a.Z, b.X, b.Y, b.Z}];
        }
    }
    for (const auto& [edge, count] : edges) {
        const auto& [ax, ay, az, bx, by, bz] = edge;
        EXPECT_EQ(count, 1);
        const auto reverse = edges.find({bx, by, bz, ax, ay, az});
        ASSERT_NE(reverse, edges.end()) << ax << "," << ay << "," << az << " -> " << bx << ","
                                        << by << "," << bz;
        EXPECT_EQ(reverse->second, 1);
    }
}

TEST(FaceTables, PyramidAndCubeAreClosed)
{
    ExpectClosed(SolidFacesFor(5));
    ExpectClosed(SolidFacesFor(6));
}

TEST(FaceTables, CardSidesShareTheirCornersBackToBack)
{
    // The back is the front seen from behind: same square, reversed winding.
    ExpectClosed(SolidFacesFor(2));
}

TEST(FaceTables, CubeBottomIsThePyramidBase)
{
    const FaceGeometry& bottom = kCubeFaces[5].Geometry;
    const FaceGeometry& base = kPyramidFaces[4].Geometry;
    ASSERT_EQ(bottom.CornerCount, base.CornerCount);
    for (int i = 0; i < base.CornerCount; ++i) {
        EXPECT_EQ(bottom.Corners[i].X, base.Corners[i].X);
        EXPECT_EQ(bottom.Corners[i].Y, base.Corners[i].Y);
        EXPECT_EQ(bottom.Corners[i].Z, base.Corners[i].Z);
        EXPECT_EQ(bottom.Corners[i].S, base.Corners[i].S);
        EXPECT_EQ(bottom.Corners[i].T, base.Corners[i].T);
    }
}

TEST(FaceTables, BackPageTurnedOverReadsLikeTheLeftPage)
{
    // Half a turn about the spine (the y axis): (x, y, z) -> (-x, y, -z). The back page then lies
    // where the left page lies, facing the viewer, with the same picture point at each corner.
    const Vec turnedNormal{-kRightPageBack.Normal[0], kRightPageBack.Normal[1],
                           -kRightPageBack.Normal[2]};
    EXPECT_GT(turnedNormal.Z, 0);
    for (int i = 0; i < kRightPageBack.CornerCount; ++i) {
        const FaceCorner& back = kRightPageBack.Corners[i];
        bool found = false;
        for (int j = 0; j < kLeftPage.CornerCount; ++j) {
            const FaceCorner& left = kLeftPage.Corners[j];
            if (left.X == -back.X && left.Y == back.Y && left.Z == -back.Z) {
                found = true;
                EXPECT_EQ(left.S, back.S);
                EXPECT_EQ(left.T, back.T);
            }
        }
        EXPECT_TRUE(found) << "corner " << i;
    }
    // And its picture's left edge is at the spine side that, once turned, is the viewer's left.
    EXPECT_EQ(kRightPageBack.Corners[0].S, 1);
    EXPECT_EQ(kRightPageBack.Corners[0].X, 0);
}

TEST(FaceTables, SolidSlotsAndUploadRules)
{
    for (int count : {2, 5, 6}) {
        const SolidFaces solid = SolidFacesFor(count);
        ASSERT_EQ(solid.Count, count);
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(solid.Faces[i].Slot, i);
            EXPECT_EQ(solid.Faces[i].Upload, i == 0 ? UploadRule::Always : UploadRule::IfFilled);
        }
    }
    for (int other : {-1, 0, 1, 3, 4, 7}) {
        EXPECT_EQ(SolidFacesFor(other).Count, 0);
        EXPECT_EQ(SolidFacesFor(other).Faces, nullptr);
    }
}

}  // namespace
