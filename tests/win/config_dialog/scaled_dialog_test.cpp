// The configuration dialog on a display scaled to 200% (a session of its
// own, tools/wine-layout-run): the system doubles the dialog's font, frame
// and controls, and the pictures grow with them, smoothly, rather than
// staying at the size they were drawn at.
#include "dialog_driver.h"
#include "dialog_pictures.h"
#include "host/saver_effect.h"

namespace {

using ScaledDialogTest = DialogTest;

TEST_F(ScaledDialogTest, PicturesGrowWithTheDialog) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(192, dpi) << "the session's scale";
    ASSERT_TRUE(Open(IDD_CONFIG, ConfigDialogProc));
    const std::vector<ShownPicture> pictures = ShownPictures(dialog);
    ASSERT_EQ(2u, pictures.size());
    for (const ShownPicture& p : pictures) {
        EXPECT_TRUE(FillsItsControl(p)) << Describe(p);
        EXPECT_GE(p.image.cx * 10, p.drawn.cx * 18) << "at least 1.8 times as wide: " << Describe(p);
        EXPECT_GT(p.imageColours, p.drawnColours) << "smooth: " << Describe(p);
    }
    Close(IDCANCEL);
}

}  // namespace
