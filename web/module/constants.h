// What the WebAssembly boundary and its JavaScript side agree on, declared
// once here: the JavaScript side reads it all from sv_constants as JSON.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chart/scene.h"

// The scenes a chart shows, one per layer (canvas).
enum class SceneLayer : int32_t { Chart, Crosshair, Tip };

// The int32 fields of one flattened primitive, in order. head is
// kind | align << 8 | font << 16; text offset and length index the flat text.
enum class PrimField : int32_t { Head, Left, Top, Right, Bottom, Colour, Fill, TextOffset, TextLength, Count };

// sv_load's and sv_refresh's result bits (Changed: sv_refresh only).
enum class LoadOutcome : int32_t { Accepted = 1, Failed = 2, Changed = 4 };

// sv_tracked's fields: the record under the crosshair.
enum class TrackedField : int32_t { Index, Time, Open, High, Low, Close, Volume };

enum class InfoNumber : int32_t { Date, Time, Current, Change };
enum class InfoTextField : int32_t { Code, Name };

// Appends one primitive's PrimField::Count values.
void FlattenPrim(const ScenePrim& prim, int32_t textOffset, int32_t textLength, std::vector<int32_t>& out);

// Every constant above and those of the core the page needs (kinds, aligns,
// fonts, key names, track flags, property types and uses, limits, defaults,
// the failure text, the font size, the hover tick) as one JSON object.
std::string BoundaryConstantsJson();
