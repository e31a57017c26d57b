// Replays a scene (chart/scene.h) into a DC with GDI: the Windows front-end
// of the chart. Each colour's pen and brush is created once per replay.
#pragma once

#include <windows.h>

#include <cstdint>

#include "chart/scene.h"

struct SceneFonts {
    HFONT chart = nullptr;
    HFONT tip = nullptr;
};

void ReplayScene(HDC dc, const Scene& scene, const SceneFonts& fonts);

// The same pixels into the 32-bit DIB section selected into dc (`bits`, top
// down, `size` its pixels): fills, frames and lines written directly, texts
// drawn by GDI in their turn. Far fewer system calls than ReplayScene.
void ReplaySceneIntoBits(HDC dc, uint32_t* bits, SIZE size, const Scene& scene, const SceneFonts& fonts);
