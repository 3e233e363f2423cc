// Resource ids, grouped by where they are used. The numbers are fixed:
// the system and existing installations know them.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Application
#define IDI_APP 100
#define IDS_DESCRIPTION 1

// Configuration dialog
#define IDD_CONFIG 2003
#define IDB_CONFIG_CAUSE1 103
#define IDB_CONFIG_CAUSE2 107
#define IDC_CONFIG_MODE_SCREEN 1000   // BackgroundMode 0, the screen image
#define IDC_CONFIG_MODE_DESKTOP 1001  // BackgroundMode 1, the wallpaper
#define IDC_CONFIG_MODE_RANDOM 1002   // BackgroundMode 2, a listed picture
#define IDC_CONFIG_DENSITY 1003
#define IDC_CONFIG_BLUR 1004  // Power
#define IDC_CONFIG_MIXPIX 1005
#define IDC_CONFIG_STRENGTH 1006  // Ray
#define IDC_CONFIG_CAUSE1_LINK 1007
#define IDC_CONFIG_MAIL_LINK 1008
#define IDC_CONFIG_IMAGES 1009  // "...": the Background Images dialog
#define IDC_CONFIG_SPEED 1010   // Delay, reversed
#define IDC_CONFIG_PREVIEW 1011
#define IDC_CONFIG_UPDATE 1012
#define IDC_CONFIG_CAUSE2_LINK 1013
#define IDC_CONFIG_REFRESH 1014  // Timeout on or off
#define IDC_CONFIG_REFRESH_SECONDS 1015
#define IDC_CONFIG_REFRESH_SPIN 1016

// Background Images dialog
#define IDD_IMAGES 102
#define IDC_IMAGES_ADD 3
#define IDC_IMAGES_REMOVE 4
#define IDC_IMAGES_LIST 1010
