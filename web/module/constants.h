// What the WebAssembly boundary and its JavaScript side agree on, declared
// once here: the JavaScript side reads it all from sv_constants as JSON.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chart/scene.h"

// The scenes a chart shows, one per layer (canvas).
enum class SceneLayer : int32_t { Chart, Crosshair, Tip };

// The int32 fields of a ScenePrim as it lies in memory: the page reads a
// scene's primitives where the core keeps them. head holds the bytes kind,
// align and font (kind | align << 8 | font << 16 and a padding byte); text
// offset and length index the scene's text.
enum class PrimField : int32_t { Left, Top, Right, Bottom, Colour, Fill, TextOffset, TextLength, Head, Count };

// sv_load's and sv_refresh's result bits (Changed: sv_refresh only).
enum class LoadOutcome : int32_t { Accepted = 1, Failed = 2, Changed = 4 };

// sv_tracked's fields: the record under the crosshair.
enum class TrackedField : int32_t { Index, Time, Open, High, Low, Close, Volume };

enum class InfoNumber : int32_t { Date, Time, Current, Change };
enum class InfoTextField : int32_t { Code, Name };

// Every constant above and those of the core the page needs (kinds, aligns,
// fonts, key names, track flags, property types and uses, limits, defaults,
// the failure text, the font size, the hover tick) as one JSON object.
std::string BoundaryConstantsJson();
