// The security identifier of the user that runs this process, for event reports.
#pragma once

#include <vector>

namespace Zt {

// A copy of the process user's SID; empty when it cannot be had.
std::vector<unsigned char> ProcessUserSid();

} // namespace Zt
