// Command ids of the transform tool's tool strip and menu, and the side panel's control ids
// (template 108). The host's menus and scripts send the same numbers.
#pragma once

enum ToolCommandId {
    ID_CMD_MOVE_MODE = 40002,
    ID_CMD_SELECT_MODE = 40003,
    ID_CMD_ROTATE_MODE = 40004,
    ID_CMD_SCALE_MODE = 40005,
    ID_CMD_SELECT_PARENTS = 40006,
};

enum ParameterId {
    ID_PARAM_POS_X = 1001,
    ID_PARAM_SCALE_Z = 1009,
    ID_PARAM_LABEL_FIRST = 1010,
    ID_PARAM_LABEL_LAST = 1018,
    ID_PARAM_NAME = 1019,
    ID_PARAM_MESH_INFO = 1020,
    ID_PARAM_PLAN_MAP = 1021,
    ID_PARAM_GROUND_FOLLOW = 1022,
    ID_PARAM_SNAP = 1023,
};
