// zt_logging_helper ROUNDS TAG: a second process for the logging tests, writing ROUNDS
// service-mode notifications "TAG n <filler>" to the same Events.log as its sibling, each when the
// test releases the semaphore kGoSemaphore + TAG, and releasing kDoneSemaphore after each.
#include "logging/ServiceNotification.h"
#include "win/UniqueHandle.h"

#include "HelperProtocol.h"

#include <cwchar>
#include <string>

using namespace logging_test;

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 2;
    const std::wstring tag = argv[2];
    const win::UniqueKernelHandle go(::OpenSemaphoreW(SYNCHRONIZE, FALSE, (kGoSemaphore + tag).c_str()));
    const win::UniqueKernelHandle done(::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, kDoneSemaphore));
    for (long i = 0, rounds = std::wcstol(argv[1], nullptr, 10); i < rounds; ++i) {
        if (!go || !done || ::WaitForSingleObject(go.get(), 10000) != WAIT_OBJECT_0)
            return 3;
        ReportServiceError(tag + L" " + std::to_wstring(i) + L" " + kFiller);
        ::ReleaseSemaphore(done.get(), 1, nullptr);
    }
    return 0;
}
