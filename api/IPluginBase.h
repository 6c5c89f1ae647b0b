// The host's plug-in base: 17 virtual slots in this order; the defaults do nothing.
#pragma once

#include "EditorTypes.h"

#include <cstdint>
#include <string>

class IView;

class IPluginBase {
public:
    virtual int OnToolCommand(int /*commandId*/) { return 0; }
    virtual int OnWindowMessage(unsigned /*message*/, std::uintptr_t /*wparam*/,
                                std::intptr_t /*lparam*/) {
        return 0;
    }
    virtual int OnNotify(int /*code*/, int /*arg*/, void* /*data*/) { return 0; }
    virtual int OnSelectRect(IView* /*view*/, int /*unused*/, const PixelRect& /*rect*/) {
        return 0;
    }
    // Also called with no button in the key flags while the pointer passes over a view, and
    // with the point (-1, -1) when it leaves the view.
    virtual int OnPointerMove(IView*, int /*viewNumber*/, int /*keyFlags*/, int /*x*/, int /*y*/) {
        return 0;
    }
    virtual int OnPointerDown(IView*, int /*viewNumber*/, int /*keyFlags*/, int /*x*/, int /*y*/) {
        return 0;
    }
    // A press of a pointer button other than the left one: (view number, button flag, key
    // flags, x, y, 0). Answers 1 when the plug-in used it; the host then starts nothing of its
    // own for that press (the right button's orbit).
    virtual int OnPointerOther(int, int, int, int, int, int) { return 0; }
    virtual int OnPointerUp(IView*, int /*viewNumber*/, int /*keyFlags*/, int /*x*/, int /*y*/) {
        return 0;
    }
    // Another input: (INPUT_... code, key flags). Answers 1 when the plug-in used it.
    virtual int OnInputOther(int, int) { return 0; }
    virtual int OnHover(int, int) { return 0; }
    virtual int OnShutdown() { return 0; }
    virtual int OnViewUpdate(IView* /*view*/, int /*viewNumber*/) { return 0; }
    virtual const char* GetPluginName() { return ""; }
    // Copies string `id` of the plug-in's table into buffer: at most size - 1 bytes, terminated;
    // returns the number of bytes copied, 0 when there is no such string.
    virtual int LoadText(unsigned /*id*/, char* /*buffer*/, int /*size*/) { return 0; }
    virtual void OnHostCallA(int, int) {}
    virtual const std::string& GetDisplayName() {
        static const std::string empty;
        return empty;
    }
    virtual void OnHostCallB(int, int) {}
    virtual ~IPluginBase() = default;
};
