// The caption band's painting and the resource image loader.
#include "frame/ZtServiceMsgApp.h"
#include "info/ResourceImage.h"
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
    bool OnInitDialog() override {
        caption.SubclassDlgItem(IDC_DIAGNOSE_CAPTION, m_hwnd);
        return true;
    }
};

bool IsWhite(uint32_t p) { return Red(p) > 235 && Green(p) > 235 && Blue(p) > 235; }

// The horizontal middle of the white type; -1 when there is none.
int TypeCentre(const Pixels& pixels) {
    int left = pixels.width, right = -1;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            if (IsWhite(pixels.At(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return right < 0 ? -1 : (left + right) / 2;
}

class CaptionBand : public ::testing::Test {
protected:
    void SetUp() override {
        TheApp().EnsureStarted(); // GDI+
        ASSERT_TRUE(host.Create());
        band = host.caption.Handle();
        ASSERT_NE(band, nullptr);
    }
    CaptionHost host;
    HWND band = nullptr;
};

} // namespace

TEST_F(CaptionBand, StartsWithTheTemplateTextCentredOnAGreenGradient) {
    EXPECT_EQ(host.caption.Text(), L"Vistral Diagnose");
    const Pixels pixels = CaptureClient(band);
    const uint32_t top = pixels.At(2, 1);
    EXPECT_LT(Red(top), 40);
    EXPECT_GT(Green(top), 110);
    EXPECT_LT(Blue(top), 40);
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    const uint32_t bottom = pixels.At(2, pixels.height - 1);
    EXPECT_NEAR(Red(bottom), GetRValue(face), 12);
    EXPECT_NEAR(Green(bottom), GetGValue(face), 12);
    EXPECT_NEAR(Blue(bottom), GetBValue(face), 12);
    EXPECT_NEAR(TypeCentre(pixels), pixels.width / 2, 4);
}

TEST_F(CaptionBand, RepaintsCentredAfterATextChangeAndAResize) {
    host.caption.SetText(L"Vistral Diagnose - PC1 (3)");
    Pixels pixels = CaptureClient(band);
    EXPECT_NEAR(TypeCentre(pixels), pixels.width / 2, 4);

    const RECT before = host.caption.ClientRect();
    ::SetWindowPos(band, nullptr, 0, 0, before.right / 2, before.bottom + 10, SWP_NOMOVE | SWP_NOZORDER);
    pixels = CaptureClient(band);
    EXPECT_EQ(pixels.width, before.right / 2);
    EXPECT_NEAR(TypeCentre(pixels), pixels.width / 2, 4);
    EXPECT_GT(Green(pixels.At(2, 1)), 110) << "the gradient spans the new height";
}

TEST(ResourceImageLoader, PresentImageLoadsAtItsSize) {
    TheApp().EnsureStarted();
    for (UINT id : {IDB_WARNING_SYMBOL, IDB_DOCUMENT_SYMBOL}) {
        auto image = info::ResourceImage::Load(id, L"PNG");
        ASSERT_NE(image, nullptr) << id;
        EXPECT_EQ(image->Bitmap()->GetWidth(), 32u);
        EXPECT_EQ(image->Bitmap()->GetHeight(), 32u);
    }
}

TEST(ResourceImageLoader, AbsentOrForeignResourcesAnswerNull) {
    TheApp().EnsureStarted();
    EXPECT_EQ(info::ResourceImage::Load(4711, L"PNG"), nullptr);
    EXPECT_EQ(info::ResourceImage::Load(IDB_WARNING_SYMBOL, L"GIF"), nullptr);
    EXPECT_EQ(info::ResourceImage::Load(IDD_DIAGNOSE, MAKEINTRESOURCEW(5)), nullptr) << "a dialog template";
}
