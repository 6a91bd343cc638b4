// The scene window (class "3DOpenGLWnd"): the OpenGL child of the host window.
#pragma once
#include <windows.h>

LRESULT CALLBACK SceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
