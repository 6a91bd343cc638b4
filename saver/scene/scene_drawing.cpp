#include "scene_drawing.h"

namespace {

const int kSolidDistances[4] = {-12, -22, -26, -32};
const int kBookDistances[4] = {-8, -10, -14, -18};

// Angles are whole degrees. A rotation by the angle modulo 360 is the same rotation and stays
// exact in the float the matrix takes, however far a page angle has grown.
float DrawAngle(uint32_t angle)
{
    return float(angle % 360);
}

struct PlanWriter {
    PaintPlan& Plan;

    void Add(const PaintOp& op)
    {
        if (Plan.Count < int(sizeof Plan.Ops / sizeof Plan.Ops[0]))
            Plan.Ops[Plan.Count++] = op;
    }
    void LoadIdentity() { Add({PaintOpKind::LoadIdentity, 0, 0, 0, 0, 0}); }
    void Translate(float x, float y, float z) { Add({PaintOpKind::Translate, 0, x, y, z, 0}); }
    void Rotate(float angle, float x, float y, float z)
    {
        Add({PaintOpKind::Rotate, angle, x, y, z, 0});
    }
    void SetLight() { Add({PaintOpKind::SetLightPosition, 0, 0, 0, 0, 0}); }
    void CallList(int list) { Add({PaintOpKind::CallList, 0, 0, 0, 0, list}); }

    void Spins(const SceneState& state)
    {
        Rotate(DrawAngle(state.SpinAngleX), 1, 0, 0);
        Rotate(DrawAngle(state.SpinAngleY), 0, 1, 0);
        Rotate(DrawAngle(state.SpinAngleZ), 0, 0, 1);
    }
};

void PlanBook(const SceneState& state, PlanWriter& out)
{
    out.Translate(0, 0, float(BookDistance(state.Header.DistanceIndex)));
    out.SetLight();
    out.Rotate(-float(state.Header.BookTilt), 1, 0, 0);
    out.CallList(kUnderneathList);
    out.Rotate(DrawAngle(state.SpinAngleY), 0, 1, 0);
    out.Rotate(DrawAngle(state.SpinAngleZ), 0, 0, 1);
    out.CallList(kTurningList);
}

// The main body circles in the plane of the y and view axes, the first copy in the plane of the
// x and view axes, the second in the screen plane; OrbitTilt turns all three circles about the
// view axis. Each copy's fixed half-turn shows other faces than the main body.
void PlanSolid(const SceneState& state, PlanWriter& out)
{
    const float d = float(SolidDistance(state.Header.DistanceIndex));
    const float tilt = DrawAngle(state.OrbitTilt);
    const float orbit = DrawAngle(state.OrbitAngle);

    out.Translate(0, 0, d);
    if (state.Header.OrbitMain != 0) {
        out.Rotate(tilt, 0, 0, 1);
        out.Rotate(orbit, 1, 0, 0);
        out.Translate(0, -kOrbitRadius, 0);
    }
    out.SetLight();
    out.Spins(state);
    out.CallList(kTurningList);

    const int copies = OrbitCopiesToDraw(state.Header.OrbitCopies);
    if (copies > 0) {
        out.LoadIdentity();
        out.Translate(0, 0, d);
        out.Rotate(tilt, 0, 0, 1);
        out.Rotate(orbit, 0, 1, 0);
        out.Translate(0, 0, -kOrbitRadius);
        out.SetLight();
        out.Rotate(180, 0, 1, 0);
        out.Spins(state);
        out.CallList(kTurningList);
    }
    if (copies > 1) {
        out.LoadIdentity();
        out.Translate(0, 0, d);
        out.Rotate(tilt, 0, 0, 1);
        out.Rotate(orbit, 0, 0, 1);
        out.Translate(-kOrbitRadius, 0, 0);
        out.SetLight();
        out.Rotate(180, 1, 1, 1);
        out.Spins(state);
        out.CallList(kTurningList);
    }
}

}  // namespace

int SolidDistance(int distanceIndex)
{
    return kSolidDistances[ClampDistanceIndex(distanceIndex)];
}

int BookDistance(int distanceIndex)
{
    return kBookDistances[ClampDistanceIndex(distanceIndex)];
}

double ProjectionAspect(int width, int height)
{
    if (height <= 0 || width < height)
        return 1;
    return double(width / height);
}

int OrbitCopiesToDraw(int orbitCopies)
{
    return orbitCopies < 0 ? 0 : orbitCopies > 2 ? 2 : orbitCopies;
}

PaintPlan PlanScenePaint(const SceneState& state)
{
    PaintPlan plan;
    PlanWriter out{plan};
    out.LoadIdentity();
    if (IsBook(state))
        PlanBook(state, out);
    else
        PlanSolid(state, out);
    return plan;
}
