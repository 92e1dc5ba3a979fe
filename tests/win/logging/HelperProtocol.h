// What the logging tests and their helper program agree on.
#pragma once

namespace logging_test {

// The text after each writer's tag and number: long enough that a torn write shows inside a
// line, and with percent signs that must stay text.
constexpr wchar_t kFiller[] = L"the quick brown fox jumps over the lazy dog 100% %s 0123456789";
// Released by the test once per round for each notifying helper (the name followed by its tag),
// and by each helper when its notification is written.
constexpr wchar_t kGoSemaphore[] = L"ZtLoggingTests.Go";
constexpr wchar_t kDoneSemaphore[] = L"ZtLoggingTests.Done";

} // namespace logging_test
