// zt_logging_helper: a second (and third) process for the logging tests, writing to the same
// log or Events.log as its siblings, or reporting from a directory of its own.
//   write-log PATH COUNT TAG   COUNT lines "TAG n ..." through a log file
//   notify COUNT TAG           COUNT service-mode notifications "TAG n"
//   report SOURCE              one error entry under SOURCE; exit code 0 when it was reported
#include "logging/ServiceNotification.h"
#include "logging/VistralLog.h"
#include "logging/ZtLogFile.h"

#include <cwchar>
#include <string>

namespace {

// Long enough that a torn write would show inside a line.
constexpr wchar_t kFiller[] = L"the quick brown fox jumps over the lazy dog 0123456789";

int WriteLog(const wchar_t* path, int count, const wchar_t* tag) {
    Zt::ZtLogFile log(path, true, Zt::LogProcessName | Zt::LogDateTime | Zt::LogAppendLineEnd);
    for (int i = 0; i < count; ++i)
        log.Write(L"%ls %d %ls", tag, i, kFiller);
    return 0;
}

int Notify(int count, const wchar_t* tag) {
    for (int i = 0; i < count; ++i)
        ReportServiceError(std::wstring(tag) + L" " + std::to_wstring(i) + L" " + kFiller);
    return 0;
}

int Report(const wchar_t* source) {
    CVistralLog log(source);
    return log.Error(L"reported from %ls", source) ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"write-log" && argc == 5)
        return WriteLog(argv[2], std::wcstol(argv[3], nullptr, 10), argv[4]);
    if (command == L"notify" && argc == 4)
        return Notify(std::wcstol(argv[2], nullptr, 10), argv[3]);
    if (command == L"report" && argc == 3)
        return Report(argv[2]);
    return 2;
}
