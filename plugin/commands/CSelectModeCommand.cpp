#include "CSelectModeCommand.h"

#include "CMapSelectMgr.h"

#include <utility>

namespace {

std::function<void(int)>& ModeTarget() {
    static std::function<void(int)> target;
    return target;
}

} // namespace

void SetSelectModeTarget(std::function<void(int mode)> target) {
    ModeTarget() = std::move(target);
}

int CSelectModeCommand::execute(CommandParams* params) {
    const std::function<void(int)>& target = ModeTarget();
    if (!params || !target)
        return 1;
    const auto found = params->find("mode");
    if (found == params->end())
        return 1;
    static const struct {
        const char* name;
        GizmoMode mode;
    } kModes[] = {{"select", MODE_SELECT},
                  {"move", MODE_MOVE},
                  {"rotate", MODE_ROTATE},
                  {"scale", MODE_SCALE}};
    for (const auto& entry : kModes) {
        if (found->second == entry.name) {
            target(entry.mode);
            break;
        }
    }
    return 1;
}

IBaseCommand* CreateSelectModeCommand() {
    return new CSelectModeCommand();
}
