// Activation of the module's manifest around its window work.
#include "win/ActivationContext.h"

namespace win {

ActivationContext ActivationContext::FromModule(HINSTANCE module, UINT manifestId) {
    ActivationContext result;
    if (!module || !::FindResourceW(module, MAKEINTRESOURCEW(manifestId), MAKEINTRESOURCEW(24)))
        return result;
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = module;
    request.lpResourceName = MAKEINTRESOURCEW(manifestId);
    result.m_context.reset(::CreateActCtxW(&request));
    return result;
}

ScopedActivation::ScopedActivation(HANDLE context) {
    if (context && context != INVALID_HANDLE_VALUE)
        m_active = ::ActivateActCtx(context, &m_cookie) != FALSE;
}

ScopedActivation::~ScopedActivation() {
    if (m_active)
        ::DeactivateActCtx(0, m_cookie);
}

} // namespace win
