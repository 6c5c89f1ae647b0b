#include "HostInstance.h"

namespace {
Interface* g_host = nullptr;
}

void SetInterfaceHinstance(Interface* host) {
    g_host = host;
}

extern "C" __attribute__((visibility("default"))) Interface* GetInterfaceHinstance(void*) {
    return g_host;
}
