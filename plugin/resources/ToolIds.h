// The transform tool's own command and control ids: its tool-strip commands (tool strip 101),
// the side panel's controls (template 108) and the transform bar's (template 109). The
// templates in Gizmark.xrc use the same numbers. The ids both the host and the plug-in know
// (Copy, select parents, the tool-command range) belong to the host interface instead, and so
// do the ids the editor's scripts look controls up by.
#pragma once

#include "AutomationContract.h"
#include "EditorTypes.h"

enum ToolCommandId {
    ID_CMD_MOVE_MODE = 40002,
    ID_CMD_SELECT_MODE = 40003,
    ID_CMD_ROTATE_MODE = 40004,
    ID_CMD_SCALE_MODE = 40005,
};
static_assert(ID_CMD_MOVE_MODE >= TOOL_COMMAND_FIRST && ID_CMD_SCALE_MODE <= TOOL_COMMAND_LAST,
              "tool-strip commands lie in the host's tool-command range");
static_assert(ID_SELECT_PARENTS_COMMAND != ID_CMD_MOVE_MODE, "40006 is the host's own command");

enum ParameterId {
    ID_PARAM_POS_X = automation::kPositionX,
    ID_PARAM_SCALE_Z = 1009,
    ID_PARAM_LABEL_FIRST = 1010,
    ID_PARAM_LABEL_LAST = 1018,
    ID_PARAM_NAME = 1019,
    ID_PARAM_MESH_INFO = 1020,
    ID_PARAM_PLAN_MAP = automation::kPlanMap,
    ID_PARAM_GROUND_FOLLOW = automation::kGroundFollow,
    ID_PARAM_SNAP = automation::kSnap,
};
static_assert(ID_PARAM_POS_X >= automation::kControlFirst &&
                  ID_PARAM_SNAP <= automation::kControlLast,
              "the panel's controls lie in the range scripts list");
