// The growth rule of the log file's format buffer: start small, double on overflow, give up
// growing after a fixed number of attempts and write the text cut instead.
#pragma once

#include <cstddef>

namespace Zt {

class FormatBudget {
public:
    static constexpr std::size_t kInitialChars = 256;
    static constexpr unsigned kAttempts = 10;

    std::size_t Size() const { return m_size; }
    unsigned AttemptsLeft() const { return m_attemptsLeft; }
    // A text that did not fit may be formatted again in a larger buffer.
    bool CanGrow() const { return m_attemptsLeft > 1; }
    void Grow() {
        m_size *= 2;
        --m_attemptsLeft;
    }

private:
    std::size_t m_size = kInitialChars;
    unsigned m_attemptsLeft = kAttempts;
};

} // namespace Zt
