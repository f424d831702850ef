#include "base/ResourceModule.h"

namespace {
HINSTANCE g_resourceHandle = nullptr;
} // namespace

HINSTANCE AfxGetResourceHandle() {
    return g_resourceHandle ? g_resourceHandle : GetModuleHandleW(nullptr);
}

void AfxSetResourceHandle(HINSTANCE module) {
    g_resourceHandle = module;
}
