// The mode command: its parameter read into a gizmo mode, handed to the command's target.
#include "CSelectModeCommand.h"

#include "GizmoConstants.h"

#include <utility>

CSelectModeCommand::CSelectModeCommand(std::function<void(int mode)> target)
    : m_target(std::move(target)) {}

int SelectModeNamed(const std::string& name) {
    static const struct {
        const char* name;
        GizmoMode mode;
    } kModes[] = {{"select", MODE_SELECT},
                  {"move", MODE_MOVE},
                  {"rotate", MODE_ROTATE},
                  {"scale", MODE_SCALE}};
    for (const auto& entry : kModes)
        if (name == entry.name)
            return entry.mode;
    return -1;
}

int CSelectModeCommand::execute(CommandParams* params) {
    if (!params || !m_target)
        return 1;
    const auto found = params->find("mode");
    if (found == params->end())
        return 1;
    const int mode = SelectModeNamed(found->second);
    if (mode >= 0)
        m_target(mode);
    return 1;
}
