#include "face_tables.h"

namespace {

constexpr UploadRule kAlways = UploadRule::Always;
constexpr UploadRule kIfFilled = UploadRule::IfFilled;

}  // namespace

const SolidFace kCardFaces[2] = {
    {{{0, 0, 1}, 4, {{1, 0, 2, -2, 0}, {1, 1, 2, 2, 0}, {0, 1, -2, 2, 0}, {0, 0, -2, -2, 0}}},
     0, kAlways},
    {{{0, 0, -1}, 4, {{1, 0, -2, -2, 0}, {1, 1, -2, 2, 0}, {0, 1, 2, 2, 0}, {0, 0, 2, -2, 0}}},
     1, kIfFilled},
};

// Four triangles meeting at the apex (0, 2, 0) over a square base at y = -2; each side shows its
// picture with the bottom edge along the base and the top edge squeezed into the apex.
const SolidFace kPyramidFaces[5] = {
    {{{0, 0.5f, 1}, 3, {{1, 0, 2, -2, 2}, {0.5f, 1, 0, 2, 0}, {0, 0, -2, -2, 2}}}, 0, kAlways},
    {{{0, 0.5f, -1}, 3, {{1, 0, -2, -2, -2}, {0.5f, 1, 0, 2, 0}, {0, 0, 2, -2, -2}}}, 1, kIfFilled},
    {{{-1, 0.5f, 0}, 3, {{1, 0, -2, -2, 2}, {0.5f, 1, 0, 2, 0}, {0, 0, -2, -2, -2}}}, 2, kIfFilled},
    {{{1, 0.5f, 0}, 3, {{1, 0, 2, -2, -2}, {0.5f, 1, 0, 2, 0}, {0, 0, 2, -2, 2}}}, 3, kIfFilled},
    {{{0, -1, 0}, 4, {{1, 0, 2, -2, -2}, {1, 1, 2, -2, 2}, {0, 1, -2, -2, 2}, {0, 0, -2, -2, -2}}},
     4, kIfFilled},
};

const SolidFace kCubeFaces[6] = {
    {{{0, 0, 1}, 4, {{1, 0, 2, -2, 2}, {1, 1, 2, 2, 2}, {0, 1, -2, 2, 2}, {0, 0, -2, -2, 2}}},
     0, kAlways},
    {{{0, 0, -1}, 4, {{1, 0, -2, -2, -2}, {1, 1, -2, 2, -2}, {0, 1, 2, 2, -2}, {0, 0, 2, -2, -2}}},
     1, kIfFilled},
    {{{-1, 0, 0}, 4, {{1, 0, -2, -2, 2}, {1, 1, -2, 2, 2}, {0, 1, -2, 2, -2}, {0, 0, -2, -2, -2}}},
     2, kIfFilled},
    {{{1, 0, 0}, 4, {{1, 0, 2, -2, -2}, {1, 1, 2, 2, -2}, {0, 1, 2, 2, 2}, {0, 0, 2, -2, 2}}},
     3, kIfFilled},
    {{{0, 1, 0}, 4, {{1, 0, 2, 2, 2}, {1, 1, 2, 2, -2}, {0, 1, -2, 2, -2}, {0, 0, -2, 2, 2}}},
     4, kIfFilled},
    // The same polygon as the pyramid's base.
    {{{0, -1, 0}, 4, {{1, 0, 2, -2, -2}, {1, 1, 2, -2, 2}, {0, 1, -2, -2, 2}, {0, 0, -2, -2, -2}}},
     5, kIfFilled},
};

const FaceGeometry kRightPageFront = {
    {0, 0, 1}, 4, {{1, 0, 4, -2, 0}, {1, 1, 4, 2, 0}, {0, 1, 0, 2, 0}, {0, 0, 0, -2, 0}}};
const FaceGeometry kRightPageBack = {
    {0, 0, -1}, 4, {{1, 0, 0, -2, 0}, {1, 1, 0, 2, 0}, {0, 1, 4, 2, 0}, {0, 0, 4, -2, 0}}};
const FaceGeometry kLeftPage = {
    {0, 0, 1}, 4, {{1, 0, 0, -2, 0}, {1, 1, 0, 2, 0}, {0, 1, -4, 2, 0}, {0, 0, -4, -2, 0}}};

SolidFaces SolidFacesFor(int faceCount)
{
    switch (faceCount) {
    case 2: return {kCardFaces, 2};
    case 5: return {kPyramidFaces, 5};
    case 6: return {kCubeFaces, 6};
    default: return {nullptr, 0};
    }
}
