// Replays a scene (chart/scene.h) into a DC with GDI: the Windows front-end
// of the chart. Each colour's pen and brush is created once per replay.
#pragma once

#include <windows.h>

#include "chart/scene.h"

struct SceneFonts {
    HFONT chart = nullptr;
    HFONT tip = nullptr;
};

void ReplayScene(HDC dc, const Scene& scene, const SceneFonts& fonts);
