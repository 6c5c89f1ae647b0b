// What the editor needs of the desktop below the toolkit, where the toolkit offers no call of
// its own: X server bell notifications, and the native colour dialog behind the toolkit's
// (which is no toolkit window, so toolkit calls cannot reach it). The script commands use
// these; everything else of theirs goes through the toolkit.
#pragma once

#include <memory>

class wxColour;

// Counts the X server's bell notifications on a connection of its own, from its making on.
class CBellCounter {
public:
    CBellCounter();
    ~CBellCounter();
    CBellCounter(const CBellCounter&) = delete;
    CBellCounter& operator=(const CBellCounter&) = delete;

    // False when the server has no keyboard extension (then Count stays 0).
    bool IsListening() const;
    // The bells so far, the toolkit's own requests flushed to the server first.
    int Count();

private:
    struct SConnection;
    std::unique_ptr<SConnection> m_connection;
    int m_count = 0;
};

// When a native colour dialog is shown, sets its colour and answers it with OK; true then.
// False, touching nothing, while none is shown.
bool AnswerNativeColourDialog(const wxColour& colour);
