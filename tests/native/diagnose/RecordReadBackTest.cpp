// Read-back: a line read again is checked against what was indexed.
#include "RecordStoreTestSupport.h"
#include "Logs.h"

using namespace record_store_test;

TEST(RecordReadBack, ALineThatChangedUnderTheIndexIsNeverReadAsItsRecord) {
    Log log(fixtures::kThreeLinePc1);
    std::wstring text;
    EXPECT_EQ(log.store.CheckEdges(log.source), Recheck::Same);
    // Cut to its newest part and grown again: same size, other lines at the same places.
    std::string cut = log.source.bytes.substr(log.source.bytes.find('\n') + 1);
    cut += "01.01.2026 08:00:03   Host=\"PC9\" Process=\"Z\" Traceclass=\"1\"\r\n";
    log.source.bytes = cut;
    EXPECT_EQ(log.store.ReadLine(log.source, 0, text), Recheck::Changed);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(log.store.CheckEdges(log.source), Recheck::Changed);
    log.source.bytes.resize(10);
    EXPECT_EQ(log.store.ReadLine(log.source, 2, text), Recheck::Changed) << "shorter than indexed";

    // Bytes flipped in their top bit in one lane of the line hash: two 32 bytes apart, and the
    // top of one word with bits 31 and 63 of the lane's next word.
    for (const std::vector<size_t>& flips :
         {std::vector<size_t>{7, 39}, {15, 47}, {7, 19, 23}, {31, 43, 47}}) {
        Log flipped("01.01.2026 08:00:00   Host=\"PC1\" Process=\"A\" Text=\"abcdefghijklmnop\"\n");
        for (size_t at : flips)
            flipped.source.bytes[at] ^= '\x80';
        EXPECT_EQ(flipped.store.ReadLine(flipped.source, 0, text), Recheck::Changed) << flips[0];
    }
}
