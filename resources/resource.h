// Resource ids, grouped by where they are used. The numbers are fixed:
// the system and existing installations know them.
#pragma once

// Application
#define IDI_APP 100
#define IDS_DESCRIPTION 1

// Configuration dialog
#define IDD_CONFIG 2003
#define IDB_CONFIG_CAUSE1 103
#define IDB_CONFIG_CAUSE2 107

// Background Images dialog
#define IDD_IMAGES 102
