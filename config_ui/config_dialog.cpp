// The configuration dialog: every control writes its setting into theFog at
// once, so the preview shows what is on screen; only OK stores the settings.
#include "host/saver_effect.h"  // declares ConfigDialogProc

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "config_preview.h"
#include "core/settings_values.h"
#include "dialog_bitmaps.h"
#include "fog/fog_engine.h"
#include "images_dialog.h"
#include "resources/resource.h"

namespace {

// RefreshPreview: the dialog sends or posts it to itself to redraw the preview.
constexpr UINT RefreshPreview = WM_APP;
// Posted after a change of scale, once the system has rescaled the
// controls, where it does.
constexpr UINT RefitBitmaps = RefreshPreview + 1;
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0  // Windows 8.1 and later
#endif

const char kLoadErrorText[] = "Error loading ZORV's parameters.\nChoose OK to store a new configuration";
const char kDialogCaption[] = "ZORV 2.0";

// What the three link buttons hand to the shell.
const char kCause1Page[] = "https://www.gutenberg.org/";
const char kMailAddress[] = "mailto:zorv@example.org";
const char kCause2Page[] = "https://www.iucn.org/";

// A slider and the setting it edits, in the order the sliders are set up
// and matched against a scroll message.
struct SliderSetting {
    int id;
    SettingRange range;
    int32_t (*positionFromSetting)();
    void (*settingFromPosition)(int32_t position);
};

const SliderSetting kSliders[] = {
    {IDC_CONFIG_DENSITY, kDensityRange, [] { return theFog.Density; },
     [](int32_t position) { theFog.Density = position; }},
    {IDC_CONFIG_BLUR, kBlurRange, [] { return BlurPositionFromPower(theFog.Power); },
     [](int32_t position) { theFog.Power = PowerFromBlurPosition(position); }},
    {IDC_CONFIG_STRENGTH, kStrengthRange, [] { return theFog.Ray; }, [](int32_t position) { theFog.Ray = position; }},
    {IDC_CONFIG_SPEED, kSpeedRange, [] { return SpeedPositionFromDelay(theFog.Delay); },
     [](int32_t position) { theFog.Delay = DelayFromSpeedPosition(position); }},
};

struct ModeButton {
    int id;
    int32_t mode;
};
const ModeButton kModeButtons[] = {
    {IDC_CONFIG_MODE_SCREEN, CurrentDesktopImage},
    {IDC_CONFIG_MODE_DESKTOP, DesktopBackground},
    {IDC_CONFIG_MODE_RANDOM, RandomImage},
};

// Exactly one mode button shows checked: a click on an auto radio button
// clears the others of its group but passes over disabled ones, such as the
// screen image's on the NT family, which still shows a stored mode 0.
void ShowMode(HWND dialog, int32_t mode) {
    for (const ModeButton& button : kModeButtons)
        SendDlgItemMessageA(dialog, button.id, BM_SETCHECK, button.mode == mode ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(GetDlgItem(dialog, IDC_CONFIG_IMAGES), mode == RandomImage);
}

// A stored mode that no button stands for gives way to the one a fresh
// installation has on this system.
int32_t ShownMode(int32_t mode) {
    for (const ModeButton& button : kModeButtons)
        if (button.mode == mode) return mode;
    return theFog.IsNT ? LoadDefaults::BackgroundModeOnNT : LoadDefaults::BackgroundModeOn9x;
}

int32_t Clamp(int32_t value, SettingRange range) {
    return value < range.low ? range.low : value > range.high ? range.high : value;
}

bool IsChecked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Check(HWND dialog, int id, bool checked) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetSpinPosition(HWND dialog, int32_t seconds) {
    SendDlgItemMessageA(dialog, IDC_CONFIG_REFRESH_SPIN, UDM_SETPOS, 0, MAKELPARAM(seconds, 0));
}

int32_t SpinPosition(HWND dialog) {
    LRESULT position = SendDlgItemMessageA(dialog, IDC_CONFIG_REFRESH_SPIN, UDM_GETPOS, 0, 0);
    return static_cast<short>(LOWORD(position));
}

// The number typed into the refresh box, if it holds one.
bool TypedSeconds(HWND dialog, int32_t& seconds) {
    BOOL translated = FALSE;
    UINT typed = GetDlgItemInt(dialog, IDC_CONFIG_REFRESH_SECONDS, &translated, FALSE);
    if (!translated) return false;
    seconds = typed > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(typed);
    return true;
}

// ---------------------------------------------------------------- opening

void ShowSettings(HWND dialog) {
    for (const SliderSetting& slider : kSliders)
        SendDlgItemMessageA(dialog, slider.id, TBM_SETRANGE, FALSE, MAKELPARAM(slider.range.low, slider.range.high));
    for (const SliderSetting& slider : kSliders)
        SendDlgItemMessageA(dialog, slider.id, TBM_SETPOS, TRUE, slider.positionFromSetting());

    Check(dialog, IDC_CONFIG_MIXPIX, theFog.MixPix == 1);
    if (theFog.IsNT) EnableWindow(GetDlgItem(dialog, IDC_CONFIG_MODE_SCREEN), FALSE);
    theFog.BackgroundMode = ShownMode(theFog.BackgroundMode);
    ShowMode(dialog, theFog.BackgroundMode);

    SendDlgItemMessageA(dialog, IDC_CONFIG_REFRESH_SPIN, UDM_SETRANGE, 0,
                        MAKELPARAM(kRefreshSecondsRange.high, kRefreshSecondsRange.low));
    if (theFog.Timeout == kTimeoutNever) {
        EnableWindow(GetDlgItem(dialog, IDC_CONFIG_REFRESH_SECONDS), FALSE);
        return;
    }
    Check(dialog, IDC_CONFIG_REFRESH, true);
    EnableWindow(GetDlgItem(dialog, IDC_CONFIG_REFRESH_SECONDS), TRUE);
    // A hand-edited period outside the range shows at the nearest end.
    SetSpinPosition(dialog, Clamp(theFog.Timeout, kRefreshSecondsRange));
}

INT_PTR OnInitDialog(HWND dialog) {
    CoInitialize(nullptr);  // the picture loader of the random-image preview needs it
    if (theFog.LoadSettings(dialog, dialog) != ERROR_SUCCESS)
        MessageBoxA(nullptr, kLoadErrorText, kDialogCaption, MB_ICONERROR);
    ShowSettings(dialog);
    FitDialogBitmaps(dialog);
    return TRUE;
}

// ---------------------------------------------------------------- commands

// The refresh period to store: what the box shows, brought into range. The
// spin control ignores a typed number outside its range, so it is set to
// the clamped number first; the box then shows what is stored.
int32_t RefreshSecondsToStore(HWND dialog) {
    int32_t seconds = 0;
    if (TypedSeconds(dialog, seconds)) SetSpinPosition(dialog, Clamp(seconds, kRefreshSecondsRange));
    return Clamp(SpinPosition(dialog), kRefreshSecondsRange);
}

INT_PTR OnOk(HWND dialog) {
    theFog.Timeout = IsChecked(dialog, IDC_CONFIG_REFRESH) ? RefreshSecondsToStore(dialog) : kTimeoutNever;
    theFog.SaveSettings();  // a failure closes the dialog all the same
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR OnCancel(HWND dialog) {
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR OnBackgroundMode(HWND dialog, int32_t mode) {
    theFog.BackgroundMode = mode;
    ShowMode(dialog, mode);
    SendMessageA(dialog, RefreshPreview, 0, 0);
    return TRUE;
}

INT_PTR OnMixColors(HWND dialog) {
    theFog.MixPix = IsChecked(dialog, IDC_CONFIG_MIXPIX) ? 1 : 0;
    SendMessageA(dialog, RefreshPreview, 0, 0);
    return TRUE;
}

INT_PTR OnOpenLink(HWND dialog, const char* target) {
    ShellExecuteA(dialog, "open", target, nullptr, nullptr, SW_SHOW);
    return FALSE;
}

// Closing the images dialog activates this one again, and that redraws
// the preview with the edited list.
INT_PTR OnEditImages(HWND dialog) {
    DialogBoxParamA(host.instance, MAKEINTRESOURCEA(IDD_IMAGES), dialog, ImagesDialogProc, 0);
    return FALSE;
}

INT_PTR OnUpdate(HWND dialog) {
    SendMessageA(dialog, RefreshPreview, 0, 0);
    return FALSE;
}

INT_PTR OnRefreshToggled(HWND dialog) {
    const bool ticked = IsChecked(dialog, IDC_CONFIG_REFRESH);
    EnableWindow(GetDlgItem(dialog, IDC_CONFIG_REFRESH_SECONDS), ticked);
    theFog.Timeout = ticked ? kTimeoutWhenTicked : kTimeoutNever;
    // A box that was never filled (the dialog opened with no refresh) shows
    // the period just set, so that OK stores what the user sees.
    int32_t seconds = 0;
    if (ticked && (!TypedSeconds(dialog, seconds) || Clamp(seconds, kRefreshSecondsRange) != seconds))
        SetSpinPosition(dialog, kTimeoutWhenTicked);
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    // clang-format off
    switch (LOWORD(wParam)) {
    case IDOK:                    return OnOk(dialog);
    case IDCANCEL:                return OnCancel(dialog);
    case IDC_CONFIG_MODE_SCREEN:  return OnBackgroundMode(dialog, CurrentDesktopImage);
    case IDC_CONFIG_MODE_DESKTOP: return OnBackgroundMode(dialog, DesktopBackground);
    case IDC_CONFIG_MODE_RANDOM:  return OnBackgroundMode(dialog, RandomImage);
    case IDC_CONFIG_MIXPIX:       return OnMixColors(dialog);
    case IDC_CONFIG_CAUSE1_LINK:  return OnOpenLink(dialog, kCause1Page);
    case IDC_CONFIG_MAIL_LINK:    return OnOpenLink(dialog, kMailAddress);
    case IDC_CONFIG_CAUSE2_LINK:  return OnOpenLink(dialog, kCause2Page);
    case IDC_CONFIG_IMAGES:       return OnEditImages(dialog);
    case IDC_CONFIG_UPDATE:       return OnUpdate(dialog);
    case IDC_CONFIG_REFRESH:      return OnRefreshToggled(dialog);
    default:                      return FALSE;  // sliders, edit box, spin, preview
    }
    // clang-format on
}

// ---------------------------------------------------------------- sliders

// Only the end of a drag or of a key press changes a setting: while the
// thumb moves, neither the setting nor the preview follows it.
INT_PTR OnSliderScroll(HWND dialog, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != TB_ENDTRACK) return FALSE;
    HWND slider = reinterpret_cast<HWND>(lParam);
    for (const SliderSetting& setting : kSliders) {
        if (GetDlgItem(dialog, setting.id) != slider) continue;
        setting.settingFromPosition(static_cast<int32_t>(SendMessageA(slider, TBM_GETPOS, 0, 0)));
        break;
    }
    SendMessageA(dialog, RefreshPreview, 0, 0);
    return TRUE;
}

// Posted, so the preview is drawn once the activation or move has ended.
INT_PTR OnActivateOrMove(HWND dialog) {
    PostMessageA(dialog, RefreshPreview, 0, 0);
    return TRUE;
}

INT_PTR OnRefreshPreview(HWND dialog) {
    DrawPreview(dialog);
    return FALSE;
}

// A move to a monitor of another scale, on systems that scale per monitor.
// The default handling goes on after this: it rescales the controls and the
// font where the system does that for dialogs, and the pictures follow.
INT_PTR OnDpiChanged(HWND dialog, LPARAM lParam) {
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(dialog, RefitBitmaps, 0, 0);
    return FALSE;
}

INT_PTR OnRefitBitmaps(HWND dialog) {
    FitDialogBitmaps(dialog);
    return TRUE;
}

INT_PTR OnDestroy(HWND dialog) {
    ReleaseDialogBitmaps(dialog);
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    // clang-format off
    switch (message) {
    case WM_INITDIALOG:        return OnInitDialog(dialog);
    case WM_ACTIVATE:          return OnActivateOrMove(dialog);
    case WM_WINDOWPOSCHANGED:  return OnActivateOrMove(dialog);
    case WM_COMMAND:           return OnCommand(dialog, wParam);
    case WM_HSCROLL:           return OnSliderScroll(dialog, wParam, lParam);
    case RefreshPreview:       return OnRefreshPreview(dialog);
    case WM_DPICHANGED:        return OnDpiChanged(dialog, lParam);
    case RefitBitmaps:         return OnRefitBitmaps(dialog);
    case WM_DESTROY:           return OnDestroy(dialog);
    default:                   return FALSE;
    }
    // clang-format on
}
