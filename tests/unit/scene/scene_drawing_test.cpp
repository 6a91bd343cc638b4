// The drawing arithmetic, checked by replaying the paint plan on 4 x 4 matrices the way the
// model-view matrix takes it: each move or rotation multiplies on the right.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene_drawing.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Matrix {
    double M[4][4];  // row, column; points are columns

    static Matrix Identity()
    {
        Matrix m{};
        for (int i = 0; i < 4; ++i)
            m.M[i][i] = 1;
        return m;
    }
    Matrix operator*(const Matrix& b) const
    {
        Matrix r{};
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                for (int k = 0; k < 4; ++k)
                    r.M[i][j] += M[i][k] * b.M[k][j];
        return r;
    }
};

struct Point {
    double X, Y, Z;
};

Point Apply(const Matrix& m, const Point& p)
{
    return {m.M[0][0] * p.X + m.M[0][1] * p.Y + m.M[0][2] * p.Z + m.M[0][3],
            m.M[1][0] * p.X + m.M[1][1] * p.Y + m.M[1][2] * p.Z + m.M[1][3],
            m.M[2][0] * p.X + m.M[2][1] * p.Y + m.M[2][2] * p.Z + m.M[2][3]};
}

// The rotation glRotate builds: by `degrees` about the axis (x, y, z), normalised.
Matrix Rotation(double degrees, double x, double y, double z)
{
    const double length = std::sqrt(x * x + y * y + z * z);
    x /= length;
    y /= length;
    z /= length;
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    Matrix m = Matrix::Identity();
    m.M[0][0] = x * x * (1 - c) + c;
    m.M[0][1] = x * y * (1 - c) - z * s;
    m.M[0][2] = x * z * (1 - c) + y * s;
    m.M[1][0] = y * x * (1 - c) + z * s;
    m.M[1][1] = y * y * (1 - c) + c;
    m.M[1][2] = y * z * (1 - c) - x * s;
    m.M[2][0] = x * z * (1 - c) - y * s;
    m.M[2][1] = y * z * (1 - c) + x * s;
    m.M[2][2] = z * z * (1 - c) + c;
    return m;
}

Matrix Translation(double x, double y, double z)
{
    Matrix m = Matrix::Identity();
    m.M[0][3] = x;
    m.M[1][3] = y;
    m.M[2][3] = z;
    return m;
}

// What the replay saw at each list call and each light position.
struct Body {
    int List;
    Matrix AtCall;   // the matrix the list is drawn with
    Matrix AtLight;  // the matrix in force when the light position was last given
};

std::vector<Body> Replay(const PaintPlan& plan)
{
    std::vector<Body> bodies;
    Matrix current = Matrix::Identity();
    Matrix light{};
    for (int i = 0; i < plan.Count; ++i) {
        const PaintOp& op = plan.Ops[i];
        switch (op.Kind) {
        case PaintOpKind::LoadIdentity: current = Matrix::Identity(); break;
        case PaintOpKind::Translate: current = current * Translation(op.X, op.Y, op.Z); break;
        case PaintOpKind::Rotate: current = current * Rotation(op.Angle, op.X, op.Y, op.Z); break;
        case PaintOpKind::SetLightPosition: light = current; break;
        case PaintOpKind::CallList: bodies.push_back({op.List, current, light}); break;
        }
    }
    return bodies;
}

Point Centre(const Matrix& m) { return Apply(m, {0, 0, 0}); }

double Distance(const Point& a, const Point& b)
{
    return std::sqrt((a.X - b.X) * (a.X - b.X) + (a.Y - b.Y) * (a.Y - b.Y) +
                     (a.Z - b.Z) * (a.Z - b.Z));
}

SceneState Solid(int8_t orbitMain, int8_t copies, int8_t distanceIndex = 0)
{
    SceneState state;
    state.Header.FaceCount = 6;
    state.Header.OrbitMain = orbitMain;
    state.Header.OrbitCopies = copies;
    state.Header.DistanceIndex = distanceIndex;
    return state;
}

TEST(SceneDrawing, DistanceTablesClampTheirIndex)
{
    const int solid[] = {-12, -22, -26, -32};
    const int book[] = {-8, -10, -14, -18};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(SolidDistance(i), solid[i]);
        EXPECT_EQ(BookDistance(i), book[i]);
    }
    EXPECT_EQ(SolidDistance(-1), -12);
    EXPECT_EQ(BookDistance(-128), -8);
    EXPECT_EQ(SolidDistance(4), -32);
    EXPECT_EQ(BookDistance(127), -18);
}

TEST(SceneDrawing, AspectIsTheWholeQuotientAndNeverZero)
{
    struct Case {
        int Width, Height;
        double Aspect;
    };
    const Case cases[] = {
        {1024, 768, 1}, {1280, 720, 1}, {800, 600, 1}, {1920, 600, 3}, {152, 112, 1},
        {800, 0, 1},    {0, 0, 1},      {600, 800, 1}, {1, 1000, 1},   {2000, 999, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProjectionAspect(c.Width, c.Height), c.Aspect) << c.Width << " x " << c.Height;
}

TEST(SceneDrawing, BookLeansBackAndItsPageSwingsTowardsTheViewer)
{
    SceneState state;
    state.Header.FaceCount = 0;
    state.Header.BookTilt = 30;
    state.SpinAngleY = 359;  // one step of -1 from flat
    const std::vector<Body> bodies = Replay(PlanScenePaint(state));
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_EQ(bodies[0].List, kUnderneathList);
    EXPECT_EQ(bodies[1].List, kTurningList);

    // 8 units away; the top of the pages leans back (away from the eye) by 30 degrees.
    const Point spine = Centre(bodies[0].AtCall);
    EXPECT_NEAR(spine.Z, -8, 1e-9);
    const Point top = Apply(bodies[0].AtCall, {0, 2, 0});
    EXPECT_NEAR(top.Y, 2 * std::cos(kPi / 6), 1e-9);
    EXPECT_NEAR(top.Z, -8 - 2 * std::sin(kPi / 6), 1e-9);

    // The page's outer edge leaves the page underneath towards the eye.
    const Point edgeBelow = Apply(bodies[0].AtCall, {4, 0, 0});
    const Point edgeTurning = Apply(bodies[1].AtCall, {4, 0, 0});
    EXPECT_GT(edgeTurning.Z, edgeBelow.Z);
    // The light sits 10 units in front of the book, before the tilt.
    EXPECT_NEAR(Apply(bodies[0].AtLight, {0, 0, 10}).Z, 2, 1e-9);
}

TEST(SceneDrawing, MainBodyAtTheCentreOrOnItsCircle)
{
    SceneState still = Solid(0, 0, 1);
    still.SpinAngleX = 30;
    const std::vector<Body> atCentre = Replay(PlanScenePaint(still));
    ASSERT_EQ(atCentre.size(), 1u);
    const Point c = Centre(atCentre[0].AtCall);
    EXPECT_NEAR(c.X, 0, 1e-9);
    EXPECT_NEAR(c.Y, 0, 1e-9);
    EXPECT_NEAR(c.Z, -22, 1e-9);

    // OrbitMain with OrbitStep 0: one point of the circle, 7 units from the centre, chosen by
    // the tilt.
    SceneState orbiting = Solid(1, 0);
    orbiting.OrbitTilt = 90;
    const Point p = Centre(Replay(PlanScenePaint(orbiting))[0].AtCall);
    EXPECT_NEAR(p.X, 7, 1e-9);  // (0, -7) turned by 90 degrees about the view axis
    EXPECT_NEAR(p.Y, 0, 1e-9);
    EXPECT_NEAR(p.Z, -12, 1e-9);
}

TEST(SceneDrawing, ThreeBodiesRunOnPerpendicularCircles)
{
    const Point centre{0, 0, -26};
    for (uint32_t tilt : {0u, 35u, 200u}) {
        for (uint32_t orbit = 0; orbit < 360; orbit += 45) {
            SCOPED_TRACE(testing::Message() << "tilt " << tilt << " orbit " << orbit);
            SceneState state = Solid(1, 2, 2);
            state.OrbitTilt = tilt;
            state.OrbitAngle = orbit;
            const std::vector<Body> bodies = Replay(PlanScenePaint(state));
            ASSERT_EQ(bodies.size(), 3u);
            // The axes of the three circles: x, y and the view axis, turned by the tilt.
            const Matrix turn = Rotation(tilt, 0, 0, 1);
            const Point axes[3] = {Apply(turn, {1, 0, 0}), Apply(turn, {0, 1, 0}), {0, 0, 1}};
            for (int b = 0; b < 3; ++b) {
                EXPECT_EQ(bodies[size_t(b)].List, kTurningList);
                const Point at = Centre(bodies[size_t(b)].AtCall);
                EXPECT_NEAR(Distance(at, centre), kOrbitRadius, 1e-9) << "body " << b;
                const Point offset{at.X - centre.X, at.Y - centre.Y, at.Z - centre.Z};
                EXPECT_NEAR(offset.X * axes[b].X + offset.Y * axes[b].Y + offset.Z * axes[b].Z, 0,
                            1e-9)
                    << "body " << b;
                // The light is given at the body's place, before its spins.
                EXPECT_NEAR(Distance(Centre(bodies[size_t(b)].AtLight), at), 0, 1e-9);
            }
        }
    }
}

TEST(SceneDrawing, CopiesShowOtherFacesThanTheMainBody)
{
    SceneState state = Solid(0, 2);
    const std::vector<Body> bodies = Replay(PlanScenePaint(state));
    ASSERT_EQ(bodies.size(), 3u);
    // Where the front face's normal (0, 0, 1) points for each body, relative to its own place.
    auto facing = [](const Matrix& m) {
        const Point a = Apply(m, {0, 0, 1}), o = Centre(m);
        return Point{a.X - o.X, a.Y - o.Y, a.Z - o.Z};
    };
    EXPECT_NEAR(facing(bodies[0].AtCall).Z, 1, 1e-9);   // towards the eye
    EXPECT_NEAR(facing(bodies[1].AtCall).Z, -1, 1e-9);  // half a turn about y
    // Half a turn about (1, 1, 1) sends (0, 0, 1) to (2/3, 2/3, -1/3).
    const Point second = facing(bodies[2].AtCall);
    EXPECT_NEAR(second.X, 2.0 / 3, 1e-9);
    EXPECT_NEAR(second.Y, 2.0 / 3, 1e-9);
    EXPECT_NEAR(second.Z, -1.0 / 3, 1e-9);
}

TEST(SceneDrawing, CopiesToDraw)
{
    struct Case {
        int8_t Copies;
        size_t Bodies;
    };
    for (const Case& c : {Case{0, 1}, Case{1, 2}, Case{2, 3}, Case{5, 3}, Case{-1, 1}, Case{127, 3}}) {
        EXPECT_EQ(Replay(PlanScenePaint(Solid(0, c.Copies))).size(), c.Bodies) << int(c.Copies);
    }
    EXPECT_EQ(OrbitCopiesToDraw(-128), 0);
    EXPECT_EQ(OrbitCopiesToDraw(3), 2);
}

TEST(SceneDrawing, OtherFaceCountsAreDrawnAsASolid)
{
    SceneState state;
    state.Header.FaceCount = 3;
    state.Header.OrbitCopies = 1;
    EXPECT_EQ(Replay(PlanScenePaint(state)).size(), 2u);  // list 1 twice, never list 2
}

TEST(SceneDrawing, GrownPageAnglesAreDrawnAsTheSameRotation)
{
    // A positive TurnStep lets the page angle grow past 360; the drawn rotation is the same.
    SceneState grown;
    grown.Header.FaceCount = 0;
    grown.SpinAngleY = 360u * 1000000u + 45u;
    SceneState plain;
    plain.Header.FaceCount = 0;
    plain.SpinAngleY = 45;
    const Point a = Apply(Replay(PlanScenePaint(grown))[1].AtCall, {4, 0, 0});
    const Point b = Apply(Replay(PlanScenePaint(plain))[1].AtCall, {4, 0, 0});
    EXPECT_NEAR(Distance(a, b), 0, 1e-9);
}

}  // namespace
