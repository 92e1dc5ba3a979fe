// The clipboard text of the details dialog.
#include "viewer/details/ClipboardText.h"

#include <gtest/gtest.h>

using viewer::ComposeClipboardText;

TEST(ClipboardText, RowsAreTabSeparatedLinesEndedByCrLfThenANulAndEmptyTextsKeepTheirSeparators) {
    const std::wstring text = ComposeClipboardText({{L"Host", L"PC1"}, {L"Process", L"Svc"}});
    EXPECT_EQ(text, std::wstring(L"Host\tPC1\r\nProcess\tSvc\r\n") + L'\0');
    EXPECT_EQ(text.size(), 24u);
    EXPECT_EQ(ComposeClipboardText({{L"", L""}}), std::wstring(L"\t\r\n") + L'\0');
    EXPECT_EQ(ComposeClipboardText({}), std::wstring(1, L'\0'));
}
