// The host's calls in named form. The slots of the plug-in base carry int codes and flag words;
// they are read here, in one place, and the controllers see only these names.
#pragma once

#include "EditorTypes.h"

#include <cstdint>

class IView;

// The buttons and keys a pointer call's flag word names, read from the word itself.
struct PointerKeys {
    // The word as the host sent it: the gizmo reads it as it is.
    int flags = 0;

    bool left() const { return (flags & KEY_LBUTTON) != 0; }
    bool right() const { return (flags & KEY_RBUTTON) != 0; }
    bool shift() const { return (flags & KEY_SHIFT) != 0; }
    bool ctrl() const { return (flags & KEY_CTRL) != 0; }
    bool alt() const { return (flags & KEY_ALT) != 0; }

    static PointerKeys FromFlags(int flags) { return PointerKeys{flags}; }
};

// One pointer call: where, in which view, with which keys.
struct PointerEvent {
    IView* view = nullptr;
    int viewNumber = 0;
    PointerKeys keys;
    int x = 0;
    int y = 0;
};

// How a click or a rectangle combines with the selection.
enum class SelectMode { Replace, Add, Subtract };

// Ctrl adds, else Shift subtracts, else the pick replaces the selection.
SelectMode SelectModeOf(bool ctrl, bool shift);
// The host's name of the mode in the "SelectEntity" command.
const char* SelectModeName(SelectMode mode);

// The commands the plug-in acts on, from the tool strip, the menus or the command message.
enum class PluginCommand { None, SelectMode, MoveMode, RotateMode, ScaleMode, SelectParents, Copy };

PluginCommand CommandOf(int commandId);
// The command a window message carries: the command message's low word, None for any other
// message.
PluginCommand CommandOfMessage(unsigned message, std::uintptr_t wparam);
// The gizmo mode a mode command switches to, or -1 for any other command.
int GizmoModeOf(PluginCommand command);

// What a notification tells the plug-in.
enum class Notice {
    Load,
    Unload,
    Page,
    SceneReset,
    // A selection change, or a move, scale, turn, removal or change of one entity.
    EntityChanged,
    Frame,
    ToolEngaged,
    ToolReleased,
    Other,
};

Notice NoticeOf(int code);

// The other inputs the plug-in answers.
// Escape; a key that may type an amount into a held part (a digit, '-', '.', Backspace,
// Return); the vertex-snap key held or let go; anything else.
enum class OtherInput { Escape, TypedKey, VertexKeyDown, VertexKeyUp, Other };

OtherInput OtherInputOf(int code);
