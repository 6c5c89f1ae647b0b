// The module's compiled-in resources: dialog templates and tool strip (XRC), the string
// table, cursor 107 and the base material of the gizmo.
#pragma once

class wxCursor;

// Registers the XRC resources with the toolkit; a second call while registered does nothing.
void RegisterGizmarkResources();
// Removes them again (templates and the images they name).
void UnregisterGizmarkResources();
bool GizmarkResourcesRegistered();

// The string table: the text of id, or null when there is none.
const char* FindGizmarkString(unsigned id);

// Cursor 107: an arrow with a four-way cross. Owned by the caller.
wxCursor* CreateGizmarkCursor();

// Parses the material "Examples/selectterrain" into the engine unless it already exists.
// False when there is no material manager or the script cannot be parsed.
bool EnsureSelectTerrainMaterial();
// Removes that material from the engine again when EnsureSelectTerrainMaterial parsed it (one
// the engine had before is left alone).
void ReleaseSelectTerrainMaterial();

constexpr const char* kSelectTerrainMaterial = "Examples/selectterrain";
