// The host command "SelectTranslateMode": switches the tool mode from the host's command stream.
// The command hands the mode it parsed to the target it was made with.
#pragma once

#include "IBaseCommand.h"

#include <functional>
#include <string>

class CSelectModeCommand : public IBaseCommand {
public:
    // `target` takes the mode; an empty one takes nothing.
    explicit CSelectModeCommand(std::function<void(int mode)> target);
    // "mode" = "select", "move", "rotate" or "scale" sets mode 0..3; anything else changes nothing.
    int execute(CommandParams* params) override;
    int undo() override { return 1; }
    CommandParams getResult() const override { return m_result; }

private:
    std::function<void(int mode)> m_target;
    CommandParams m_result;
};

// The gizmo mode a "mode" parameter names (exactly, in lower case), or -1.
int SelectModeNamed(const std::string& name);
