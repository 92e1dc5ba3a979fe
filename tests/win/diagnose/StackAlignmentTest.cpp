// The 32-bit scan entered on a stack aligned as Windows aligns it. A host built with MSVC, user32
// calling a window procedure and a thread's start keep the stack at four bytes; the compiler's
// own calls keep it at sixteen. Vector spills of the scan must hold on either.
#include "diagnose/LineScan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ScanCall {
    const std::string* bytes;
    diagnose::PartScan* part;
};

extern "C" void ScanOnGivenStack(void* argument) {
    const auto& call = *static_cast<const ScanCall*>(argument);
    diagnose::ScanPart(call.bytes->data(), 0, call.bytes->size(), diagnose::TextDecoder{}, *call.part);
}

} // namespace

#if defined(__i386__)
// CallWithStackOffset(function, argument, offset): calls function(argument) with the stack
// pointer `offset` bytes below the sixteen-byte boundary the compiler keeps at a call.
extern "C" void CallWithStackOffset(void (*)(void*), void*, unsigned);
asm(".text\n"
    ".globl _CallWithStackOffset\n"
    "_CallWithStackOffset:\n"
    "  push %ebp\n"
    "  mov %esp, %ebp\n"
    "  mov 8(%ebp), %eax\n"
    "  mov 12(%ebp), %ecx\n"
    "  mov 16(%ebp), %edx\n"
    "  and $-16, %esp\n"
    "  sub %edx, %esp\n"
    "  sub $12, %esp\n"
    "  push %ecx\n"
    "  call *%eax\n"
    "  mov %ebp, %esp\n"
    "  pop %ebp\n"
    "  ret\n");
#endif

TEST(StackAlignment, TheScanOnAFourByteAlignedStackFindsWhatItFindsOnAnAlignedOne) {
#if !defined(__i386__)
    GTEST_SKIP() << "the 64-bit convention keeps sixteen bytes at every call";
#else
    std::string bytes;
    for (int i = 0; i < 200; ++i)
        bytes += "05.12.2026 12:32:" + std::to_string(10 + i % 50) + "   Host=\"PC" + std::to_string(i % 7) +
                 "\" Process=\"Proc" + std::to_string(i % 3) + "\" Traceclass=\"" + std::to_string(i % 4) +
                 "\" Text=\"line " + std::to_string(i) + " with a text long enough for many steps\"\r\n";
    diagnose::PartScan expected;
    ScanCall aligned{&bytes, &expected};
    CallWithStackOffset(ScanOnGivenStack, &aligned, 0);
    ASSERT_EQ(expected.lines.size(), 200u);
    ASSERT_EQ(expected.triples.size(), 84u);
    for (unsigned offset : {4u, 8u, 12u}) {
        diagnose::PartScan part;
        ScanCall call{&bytes, &part};
        CallWithStackOffset(ScanOnGivenStack, &call, offset);
        ASSERT_EQ(part.lines.size(), expected.lines.size()) << offset;
        for (size_t i = 0; i < part.lines.size(); ++i) {
            EXPECT_EQ(part.lines[i].hash, expected.lines[i].hash) << offset << " line " << i;
            EXPECT_EQ(part.lines[i].triple, expected.lines[i].triple) << offset << " line " << i;
            EXPECT_EQ(part.lines[i].time, expected.lines[i].time) << offset << " line " << i;
        }
        EXPECT_EQ(part.names, expected.names) << offset;
    }
#endif
}
