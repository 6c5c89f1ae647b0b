#include "commands/CSelectModeCommand.h"

#include "core/CTranslate.h"

#include <cstring>

int CSelectModeCommand::execute(CommandParams* params) {
    CTranslate* plugin = GetTranslatePlugin();
    if (!params || !plugin)
        return 1;
    const auto found = params->find("mode");
    if (found == params->end())
        return 1;
    static const char* const kModes[] = {"select", "move", "rotate", "scale"};
    for (int mode = 0; mode < 4; ++mode) {
        if (found->second == kModes[mode]) {
            plugin->GetGizmo().SetMode(mode);
            break;
        }
    }
    return 1;
}

IBaseCommand* CreateSelectModeCommand() {
    return new CSelectModeCommand();
}
