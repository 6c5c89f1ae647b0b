// The host command "SelectTranslateMode": switches the tool mode from the host's command stream.
#pragma once

#include "IBaseCommand.h"

#include <functional>

class CSelectModeCommand : public IBaseCommand {
public:
    // "mode" = "select", "move", "rotate" or "scale" sets mode 0..3; anything else changes nothing.
    int execute(CommandParams* params) override;
    int undo() override { return 1; }
    CommandParams getResult() const override { return m_result; }

private:
    CommandParams m_result;
};

// The factory registered under "SelectTranslateMode".
IBaseCommand* CreateSelectModeCommand();

// Where the command sends the mode it parsed: the plug-in sets it while the command is
// registered and clears it (empty function) when it unregisters it.
void SetSelectModeTarget(std::function<void(int mode)> target);
