#include "PluginCalls.h"

#include "GizmoConstants.h"
#include "ToolIds.h"

SelectMode SelectModeOf(bool ctrl, bool shift) {
    if (ctrl)
        return SelectMode::Add;
    return shift ? SelectMode::Subtract : SelectMode::Replace;
}

const char* SelectModeName(SelectMode mode) {
    switch (mode) {
    case SelectMode::Add:
        return "add";
    case SelectMode::Subtract:
        return "sub";
    case SelectMode::Replace:
        break;
    }
    return "exclude";
}

PluginCommand CommandOf(int commandId) {
    switch (commandId) {
    case ID_CMD_SELECT_MODE:
        return PluginCommand::SelectMode;
    case ID_CMD_MOVE_MODE:
        return PluginCommand::MoveMode;
    case ID_CMD_ROTATE_MODE:
        return PluginCommand::RotateMode;
    case ID_CMD_SCALE_MODE:
        return PluginCommand::ScaleMode;
    case ID_SELECT_PARENTS_COMMAND:
        return PluginCommand::SelectParents;
    case static_cast<int>(ID_EDIT_COPY_COMMAND):
        return PluginCommand::Copy;
    default:
        return PluginCommand::None;
    }
}

PluginCommand CommandOfMessage(unsigned message, std::uintptr_t wparam) {
    if (message != WM_COMMAND_MESSAGE)
        return PluginCommand::None;
    return CommandOf(static_cast<int>(wparam & COMMAND_ID_MASK));
}

int GizmoModeOf(PluginCommand command) {
    switch (command) {
    case PluginCommand::SelectMode:
        return MODE_SELECT;
    case PluginCommand::MoveMode:
        return MODE_MOVE;
    case PluginCommand::RotateMode:
        return MODE_ROTATE;
    case PluginCommand::ScaleMode:
        return MODE_SCALE;
    default:
        return -1;
    }
}

Notice NoticeOf(int code) {
    switch (code) {
    case NOTIFY_LOAD:
        return Notice::Load;
    case NOTIFY_UNLOAD:
        return Notice::Unload;
    case NOTIFY_PAGE:
        return Notice::Page;
    case NOTIFY_SCENE_RESET:
        return Notice::SceneReset;
    case NOTIFY_SELECTION:
    case NOTIFY_MOVED:
    case NOTIFY_SCALED:
    case NOTIFY_ROTATED:
    case NOTIFY_REMOVED:
    case NOTIFY_CHANGED:
        return Notice::EntityChanged;
    case NOTIFY_FRAME:
        return Notice::Frame;
    case NOTIFY_TOOL_ENGAGED:
        return Notice::ToolEngaged;
    case NOTIFY_TOOL_RELEASED:
        return Notice::ToolReleased;
    default:
        return Notice::Other;
    }
}

OtherInput OtherInputOf(int code) {
    if (code == INPUT_KEY_ESCAPE)
        return OtherInput::Escape;
    if (code == INPUT_KEY_VERTEX_DOWN)
        return OtherInput::VertexKeyDown;
    if (code == INPUT_KEY_VERTEX_UP)
        return OtherInput::VertexKeyUp;
    const bool amount = (code >= '0' && code <= '9') || code == '-' || code == '.';
    if (amount || code == INPUT_KEY_BACKSPACE || code == INPUT_KEY_RETURN)
        return OtherInput::TypedKey;
    return OtherInput::Other;
}
