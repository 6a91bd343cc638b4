// Drawing the scene: the projection and render state for the window's size, and each frame, which
// replays the frame's moves, rotations, light positions and list calls on the model-view matrix.
#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "scene_drawing.h"
#include "scene_window.h"

void SetSceneProjection(int width, int height)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, ProjectionAspect(width, height), kNearPlane, kFarPlane);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_NORMALIZE);
}

namespace {

void ReplayPaintPlan(const PaintPlan& plan)
{
    for (int i = 0; i < plan.Count; ++i) {
        const PaintOp& op = plan.Ops[i];
        switch (op.Kind) {
        case PaintOpKind::LoadIdentity:
            glLoadIdentity();
            break;
        case PaintOpKind::Translate:
            glTranslatef(op.X, op.Y, op.Z);
            break;
        case PaintOpKind::Rotate:
            glRotatef(op.Angle, op.X, op.Y, op.Z);
            break;
        case PaintOpKind::SetLightPosition:
            glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
            break;
        case PaintOpKind::CallList:
            glCallList(GLuint(op.List));
            break;
        }
    }
}

}  // namespace

void PaintScene(SceneWindowState& state)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(state.Window, &paint);
    HPALETTE palette = static_cast<HPALETTE>(state.Scene.Palette);
    HPALETTE previous = nullptr;
    if (palette != nullptr) {
        previous = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    wglMakeCurrent(dc, static_cast<HGLRC>(state.Scene.RenderingContext));

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ReplayPaintPlan(PlanScenePaint(state.Scene));

    glFlush();
    SwapBuffers(dc);
    if (previous != nullptr)
        SelectPalette(dc, previous, TRUE);
    wglMakeCurrent(nullptr, nullptr);
    EndPaint(state.Window, &paint);
}
