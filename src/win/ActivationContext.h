// Common controls version 6 for a DLL: the module's own manifest, activated around its window
// work, because a DLL cannot rely on the manifest of the host that loads it.
#pragma once

#include "win/UniqueHandle.h"

namespace win {

// The activation context built from a module's manifest resource; empty when the module
// has none (then the process default applies).
class ActivationContext {
public:
    ActivationContext() = default;
    static ActivationContext FromModule(HINSTANCE module, UINT manifestId);
    HANDLE get() const { return m_context.get(); }

private:
    UniqueActCtx m_context;
};

// Activates a context for the scope; does nothing for an empty one.
class ScopedActivation {
public:
    explicit ScopedActivation(HANDLE context);
    ~ScopedActivation();
    ScopedActivation(const ScopedActivation&) = delete;
    ScopedActivation& operator=(const ScopedActivation&) = delete;

private:
    ULONG_PTR m_cookie = 0;
    bool m_active = false;
};

} // namespace win
