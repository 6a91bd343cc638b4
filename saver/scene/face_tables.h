// The faces of the card, the pyramid, the cube and the book's pages. Model units: every picture
// face spans 4 x 4 units; the solids are centred on the origin; the book's spine is the y axis.
// Each face is one polygon wound counter-clockwise as seen from the side its normal points to, and
// its texture coordinates make the picture read correctly from that side (s = 0 the picture's left
// edge, t = 0 its bottom row).
#pragma once

struct FaceCorner {
    float S, T;     // texture coordinate
    float X, Y, Z;  // corner
};

struct FaceGeometry {
    float Normal[3];  // as drawn; not all of unit length (GL_NORMALIZE makes them so)
    int CornerCount;  // 3 or 4
    FaceCorner Corners[4];
};

// How a face's picture is set inside its list.
enum class UploadRule {
    Always,    // specified even when the slot is empty: the face is then lit but untextured
    IfFilled,  // specified only when the slot is filled; otherwise the image before it stays
};

// A face of a solid: its geometry, the slot whose picture it carries, and the upload rule.
struct SolidFace {
    FaceGeometry Geometry;
    int Slot;
    UploadRule Upload;
};

struct SolidFaces {
    const SolidFace* Faces;
    int Count;
};

extern const SolidFace kCardFaces[2];     // front, back
extern const SolidFace kPyramidFaces[5];  // front, back, left, right, base
extern const SolidFace kCubeFaces[6];     // front, back, left, right, top, bottom

extern const FaceGeometry kRightPageFront;
extern const FaceGeometry kRightPageBack;  // s reversed: reads correctly once turned onto the left
extern const FaceGeometry kLeftPage;

// The solid drawn for FaceCount 2, 5 or 6; no faces (Count 0) for every other value.
SolidFaces SolidFacesFor(int faceCount);
