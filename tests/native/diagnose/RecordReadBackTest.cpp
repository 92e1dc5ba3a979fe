// Read-back: a line read again is checked against what was indexed.
#include "RecordStoreTestSupport.h"
#include "Logs.h"

using namespace record_store_test;

TEST(RecordReadBack, ALineThatChangedUnderTheIndexIsNeverReadAsItsRecord) {
    Log log(fixtures::kThreeLinePc1);
    std::wstring text;
    EXPECT_EQ(log.store.CheckEnd(log.source), Recheck::Same);
    // Cut to its newest part and grown again: same size, other lines at the same places.
    std::string cut = log.source.bytes.substr(log.source.bytes.find('\n') + 1);
    cut += "01.01.2026 08:00:03   Host=\"PC9\" Process=\"Z\" Traceclass=\"1\"\r\n";
    log.source.bytes = cut;
    EXPECT_EQ(log.store.ReadLine(log.source, 0, text), Recheck::Changed);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(log.store.CheckEnd(log.source), Recheck::Changed);
    log.source.bytes.resize(10);
    EXPECT_EQ(log.store.ReadLine(log.source, 2, text), Recheck::Changed) << "shorter than indexed";

    // Two bytes flipped in their top bit in the same lane of the line hash, 32 bytes apart.
    for (size_t first : {7u, 15u}) {
        Log flipped("01.01.2026 08:00:00   Host=\"PC1\" Process=\"A\" Text=\"abcdefghijklmnop\"\n");
        flipped.source.bytes[first] ^= '\x80';
        flipped.source.bytes[first + 32] ^= '\x80';
        EXPECT_EQ(flipped.store.ReadLine(flipped.source, 0, text), Recheck::Changed) << first;
    }
}
