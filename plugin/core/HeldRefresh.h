// The side panel's and the transform bar's refresh for the moves, turns and scales that a
// pointer move makes, held until the next frame (or the next call of another kind). A drag's
// pointer moves come several to a frame, and writing a text control (its layout, its signals,
// its redraw queued) is most of what a drag step would otherwise cost; the gizmo still follows
// every step at once.
#pragma once

#include "EditorTypes.h"

#include <array>

class CHeldRefresh {
public:
    // Holds for as long as a pointer move is handled; scopes may nest.
    class Scope {
    public:
        explicit Scope(CHeldRefresh& held) : m_held(held) { ++m_held.m_depth; }
        ~Scope() { --m_held.m_depth; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CHeldRefresh& m_held;
    };

    // True when `code` is a move, turn or scale met inside a scope: it is recorded, and the
    // texts it changes wait for Take. Anything else is refreshed as it comes.
    bool Hold(int code) {
        const int slot = SlotOf(code);
        if (m_depth == 0 || slot < 0)
            return false;
        m_held[slot] = true;
        return true;
    }
    // Calls `refresh(code)` once for each kind held since the last call (moves, then turns,
    // then scales), and holds nothing after.
    template <class Refresh> void Take(Refresh&& refresh) {
        for (int slot = 0; slot < kKinds; ++slot) {
            if (!m_held[slot])
                continue;
            m_held[slot] = false;
            refresh(kCodes[slot]);
        }
    }
    // Forgets what was held (the panel and bar are going).
    void Drop() { m_held.fill(false); }

private:
    static constexpr int kKinds = 3;
    static constexpr std::array<int, kKinds> kCodes{NOTIFY_MOVED, NOTIFY_ROTATED, NOTIFY_SCALED};
    static int SlotOf(int code) {
        for (int slot = 0; slot < kKinds; ++slot) {
            if (kCodes[slot] == code)
                return slot;
        }
        return -1;
    }

    int m_depth = 0;
    std::array<bool, kKinds> m_held{};
};
