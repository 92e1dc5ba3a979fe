// The caption band's painting: a green-to-face-colour gradient with its text centred in white.
#include "frame/ZtServiceMsgApp.h"
#include "info/StaticCaption.h"
#include "resource.h"
#include "win/Dialog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The viewer's template, with only its caption band bound.
class CaptionHost : public win::Dialog {
public:
    CaptionHost() : Dialog(IDD_DIAGNOSE) {}
    CStaticCaption caption;

protected:
    bool OnInitDialog() override { return caption.SubclassDlgItem(IDC_DIAGNOSE_CAPTION, m_hwnd); }
};

// The horizontal middle of the white type; -1 when there is none.
int TypeCentre(const Pixels& pixels) {
    int left = pixels.width, right = -1;
    for (size_t i = 0; i < pixels.data.size(); ++i)
        if ((pixels.data[i] & 0xF0F0F0) == 0xF0F0F0) {
            left = std::min(left, int(i % pixels.width));
            right = std::max(right, int(i % pixels.width));
        }
    return right < 0 ? -1 : (left + right) / 2;
}

// Green at the top, the dialog face colour at the bottom, the type centred.
void ExpectBand(const Pixels& pixels) {
    const uint32_t top = pixels.At(2, 0);
    EXPECT_TRUE(Red(top) < 40 && Green(top) > 110 && Blue(top) < 40) << std::hex << top;
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    const uint32_t bottom = pixels.At(2, pixels.height - 1);
    EXPECT_NEAR(Red(bottom), GetRValue(face), 12);
    EXPECT_NEAR(Green(bottom), GetGValue(face), 12);
    EXPECT_NEAR(Blue(bottom), GetBValue(face), 12);
    EXPECT_NEAR(TypeCentre(pixels), pixels.width / 2, 4);
}

} // namespace

TEST(CaptionBand, TemplateTextThenNewTextsAndSizesCentredOnTheGradient) {
    TheApp().EnsureStarted(); // GDI+
    CaptionHost host;
    ASSERT_TRUE(host.Create());
    HWND band = host.caption.Handle();
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(host.caption.Text(), L"Vistral Diagnose");
    ExpectBand(CaptureClient(band));

    host.caption.SetText(L"Vistral Diagnose - PC1 (3)");
    ::SetWindowPos(band, nullptr, 0, 0, 300, 70, SWP_NOMOVE | SWP_NOZORDER);
    const Pixels pixels = CaptureClient(band);
    EXPECT_EQ(pixels.width, 300);
    ExpectBand(pixels);
}
