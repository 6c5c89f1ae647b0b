// The outliner's 16x16 pictures, in the order of OutlinerKind: a mesh (a blue box), a light
// (a yellow bulb with rays), a group (a folder: an entity without a mesh), a missing mesh (a
// grey box crossed out in red).
#pragma once

#include <wx/bitmap.h>

#include <vector>

enum OutlinerKind { KIND_MESH, KIND_LIGHT, KIND_GROUP, KIND_MISSING, KIND_COUNT };

std::vector<wxBitmap> OutlinerIcons();
