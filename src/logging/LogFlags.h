// The option bits of Zt::ZtLogFile, shared by the class and the portable line composition.
#pragma once

#include <cstdint>

namespace Zt {

enum LogFlags : std::uint32_t {
    LogDateTime = 0x001,      // prefix carries the local date and time
    LogAppendLineEnd = 0x002, // CR LF after a text that does not end a line itself
    LogFlag04 = 0x004,        // part of the default set; changes nothing that is written
    LogKeepOpen = 0x008,      // the file stays open between operations
    LogHeader = 0x010,        // header lines before the first line, footer at destruction
    LogProcessName = 0x020,   // prefix carries the host executable's name
    LogProcessPath = 0x040,   // with LogProcessName: the full executable path instead
    LogContext = 0x080,       // prefix carries the context name while one is set
    LogRecreate = 0x100,      // an open with the limit step starts the file anew
    LogDefaultFlags = 0x0B7,
};

} // namespace Zt
