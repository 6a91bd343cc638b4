// The drawing arithmetic of a frame: distances, the projection's aspect ratio, and the sequence of
// moves, rotations, light positions and list calls that places the book or the solid and its
// orbiting copies. The scene window replays the sequence on the model-view matrix.
#pragma once
#include <cstdint>

#include "scene_state.h"

constexpr double kFieldOfView = 55;  // degrees, vertical
constexpr double kNearPlane = 1;
constexpr double kFarPlane = 50;
constexpr float kOrbitRadius = 7;
constexpr float kLightPosition[4] = {0, 0, 10, 1};  // a point light 10 units along the body's z

// Distance of the body along the view axis; an index outside 0..3 is clamped to the table.
int SolidDistance(int distanceIndex);
int BookDistance(int distanceIndex);

// The projection's aspect ratio: the whole quotient width / height, as the scene has always been
// drawn (800 x 600 gives 1). A window of height 0 or taller than wide, which has no such quotient
// or a quotient of 0, gets 1.
double ProjectionAspect(int width, int height);

// Orbiting copies drawn: 0 to 2 (more draws 2, a negative value none).
int OrbitCopiesToDraw(int orbitCopies);

enum class PaintOpKind {
    LoadIdentity,
    Translate,         // by (X, Y, Z)
    Rotate,            // by Angle degrees about (X, Y, Z)
    SetLightPosition,  // GL_LIGHT0 at kLightPosition
    CallList,          // display list List
};

struct PaintOp {
    PaintOpKind Kind;
    float Angle;
    float X, Y, Z;
    int List;
};

struct PaintPlan {
    int Count = 0;
    PaintOp Ops[40] = {};
};

// The model-view work of one frame, from the identity to the last list call.
PaintPlan PlanScenePaint(const SceneState& state);
