// The preview: one puff on a freshly painted background, drawn when the
// dialog is activated or moved and when a setting changes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "config_ui/config_dialog.h"
#include "dialog_driver.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

const char kKey[] = "SOFTWARE\\Zorv";

// Vertical stripes three pixels wide: any pixel a puff moves shows.
COLORREF StripeAt(int x) { return (x / 3) % 2 ? RGB(200, 40, 30) : RGB(20, 60, 210); }

LRESULT CALLBACK StripesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    for (int x = 0; x < client.right; x += 3) {
        HBRUSH brush = CreateSolidBrush(StripeAt(x));
        RECT stripe = {x, 0, x + 3, client.bottom};
        FillRect(dc, &stripe, brush);
        DeleteObject(brush);
    }
    EndPaint(window, &paint);
    return 0;
}

// A striped window over the screen's top-left corner, which the preview
// copies in mode 0.
struct StripedCorner {
    HWND window = nullptr;
    StripedCorner() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = StripesProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ZorvTestStripes";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "ZorvTestStripes", "", WS_POPUP | WS_VISIBLE, 0,
                                 0, 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
        UpdateWindow(window);
        PumpMessagesFor(200);
    }
    ~StripedCorner() { DestroyWindow(window); }
};

struct Preview {
    HWND control;
    int width, height;
};

Preview PreviewOf(HWND dialog) {
    HWND control = GetDlgItem(dialog, IDC_CONFIG_PREVIEW);
    RECT client = {};
    GetClientRect(control, &client);
    return {control, client.right, client.bottom};
}

// The pixels of a square round the preview's centre, as text to compare.
std::string CentrePixels(const Preview& preview, int half) {
    HDC dc = GetDC(preview.control);
    std::string pixels;
    char number[12];
    for (int y = preview.height / 2 - half; y < preview.height / 2 + half; ++y)
        for (int x = preview.width / 2 - half; x < preview.width / 2 + half; ++x) {
            std::snprintf(number, sizeof number, "%06lx ", static_cast<unsigned long>(GetPixel(dc, x, y)));
            pixels += number;
        }
    ReleaseDC(preview.control, dc);
    return pixels;
}

int PixelsOffTheStripes(const Preview& preview, int half) {
    HDC dc = GetDC(preview.control);
    int moved = 0;
    for (int y = preview.height / 2 - half; y < preview.height / 2 + half; ++y)
        for (int x = preview.width / 2 - half; x < preview.width / 2 + half; ++x)
            if (GetPixel(dc, x, y) != StripeAt(x)) ++moved;
    ReleaseDC(preview.control, dc);
    return moved;
}

struct ConfigPreviewTest : ::testing::Test {
    CleanSettingsKey clean;
};

TEST_F(ConfigPreviewTest, ModeZeroShowsTheScreenCornerWithAPuffAtTheCentre) {
    StripedCorner corner;
    // Mode 0, Strength 20, Density 10, Blur 0, no blending.
    for (auto value : {std::make_pair("Density", 10u), {"Power", 100u}, {"MixPix", 0u}, {"Ray", 20u},
                       {"BackgroundMode", 0u}, {"Delay", 0u}, {"Timeout", 0xFFFFFFFFu}})
        WriteDword(kKey, value.first, value.second);
    DialogThread thread(IDD_CONFIG, ConfigDialogProc);
    HWND dialog = thread.WaitForDialog();
    ASSERT_TRUE(dialog);
    Settle(dialog, 300);
    Preview preview = PreviewOf(dialog);
    ASSERT_GT(preview.width, 100);
    ASSERT_GT(preview.height, 100);

    // Away from the puff (at most 2 x 20 pixels from the centre) the copy
    // is pixel for pixel.
    HDC dc = GetDC(preview.control);
    const POINT corners[] = {{3, 3}, {preview.width - 4, 3}, {3, preview.height - 4}, {preview.width - 4, preview.height - 4}};
    for (POINT p : corners) EXPECT_EQ(StripeAt(p.x), GetPixel(dc, p.x, p.y)) << "at " << p.x << ", " << p.y;
    ReleaseDC(preview.control, dc);
    EXPECT_GT(PixelsOffTheStripes(preview, 40), 0) << "a puff at the centre";
    EXPECT_EQ(0, PixelsOffTheStripes({preview.control, preview.width, preview.height}, 0));

    // Every Update starts from a fresh background and draws a new puff.
    std::string first = CentrePixels(preview, 40);
    ClickControl(dialog, IDC_CONFIG_UPDATE);
    std::string second = CentrePixels(preview, 40);
    EXPECT_TRUE(first != second) << "a different puff";
    EXPECT_LT(PixelsOffTheStripes(preview, 40), 2 * 40 * 40) << "on the background, not on the last puff";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, thread.WaitForEnd());
}

TEST_F(ConfigPreviewTest, ModeTwoShowsAListedPictureStretched) {
    // A 4 x 4 picture of one colour, 24 bits per pixel.
    std::string path = ScratchFolder() + "\\green.bmp";
    const int side = 4;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = side;
    info.biHeight = side;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD rowBytes = 12;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + rowBytes * side;
    std::string pixels;
    for (int i = 0; i < side * side; ++i) pixels += std::string("\x20\xB0\x30", 3);  // blue, green, red
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(out);
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
    WriteBinary("SOFTWARE\\Zorv\\Images", "0", path.c_str(), static_cast<DWORD>(path.size() + 1), REG_SZ);
    for (auto value : {std::make_pair("Density", 10u), {"Power", 100u}, {"MixPix", 1u}, {"Ray", 10u},
                       {"BackgroundMode", 2u}, {"Delay", 0u}, {"Timeout", 0xFFFFFFFFu}})
        WriteDword(kKey, value.first, value.second);

    DialogThread thread(IDD_CONFIG, ConfigDialogProc);
    HWND dialog = thread.WaitForDialog();
    ASSERT_TRUE(dialog);
    Settle(dialog, 300);
    Preview preview = PreviewOf(dialog);
    HDC dc = GetDC(preview.control);
    EXPECT_EQ(RGB(0x30, 0xB0, 0x20), GetPixel(dc, 3, 3));
    EXPECT_EQ(RGB(0x30, 0xB0, 0x20), GetPixel(dc, preview.width - 4, preview.height - 4));
    ReleaseDC(preview.control, dc);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, thread.WaitForEnd());
    DeleteFileA(path.c_str());
}

TEST_F(ConfigPreviewTest, ActivationMovesAndSettingChangesRedrawThePreview) {
    DialogThread thread(IDD_CONFIG, ConfigDialogProc);
    HWND dialog = thread.WaitForDialog();
    ASSERT_TRUE(dialog);
    Settle(dialog);
    MessageRecorder recorder(dialog, {WM_ACTIVATE, WM_WINDOWPOSCHANGED, RefreshPreview});

    SetWindowPos(dialog, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Settle(dialog);
    std::vector<MessageRecord> seen = recorder.Take();
    ASSERT_EQ(2u, seen.size()) << DescribeMessages(seen);
    EXPECT_EQ(UINT(WM_WINDOWPOSCHANGED), seen[0].message) << DescribeMessages(seen);
    EXPECT_EQ(RefreshPreview, seen[1].message) << "posted, so drawn after the move\n" << DescribeMessages(seen);

    const struct {
        const char* name;
        int id;
        size_t redraws;
    } clicks[] = {
        {"Mix colors", IDC_CONFIG_MIXPIX, 1},
        {"Random Image", IDC_CONFIG_MODE_RANDOM, 1},
        {"Update", IDC_CONFIG_UPDATE, 1},
        {"Refresh background", IDC_CONFIG_REFRESH, 0},
    };
    for (const auto& c : clicks) {
        ClickControl(dialog, c.id);
        size_t redraws = 0;
        for (const MessageRecord& record : recorder.Take()) redraws += record.message == RefreshPreview;
        EXPECT_EQ(c.redraws, redraws) << c.name;
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, thread.WaitForEnd());
}

}  // namespace
