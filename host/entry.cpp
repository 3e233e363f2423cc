// The conventional GUI entry point: everything it is given is ignored;
// SaverEntry reads the command line itself.
#include <windows.h>

#include "saver_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { SaverEntry(); }
