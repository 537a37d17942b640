#include "framework/Backend.h"

#include <stdexcept>

namespace {
IBackend* g_backend = nullptr;
}

IBackend& Backend() {
    // Every program and test installs its back-end before it shows anything; reaching here
    // without one is a wiring fault, so fail loudly instead of showing nothing.
    if (!g_backend)
        throw std::logic_error("no user-interface back-end is installed");
    return *g_backend;
}

void SetBackend(IBackend* backend) {
    g_backend = backend;
}
