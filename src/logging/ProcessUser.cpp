// The security identifier of the user that runs this process.
#include "logging/ProcessUser.h"

#include <windows.h>

#include "win/UniqueHandle.h"

namespace Zt {

std::vector<unsigned char> ProcessUserSid() {
    win::UniqueKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<unsigned char> info(size);
    if (!::GetTokenInformation(token.get(), TokenUser, info.data(), size, &size))
        return {};
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(info.data())->User.Sid;
    if (!sid || !::IsValidSid(sid))
        return {};
    const auto* bytes = static_cast<const unsigned char*>(sid);
    return std::vector<unsigned char>(bytes, bytes + ::GetLengthSid(sid));
}

} // namespace Zt
