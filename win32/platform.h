// Which family of Windows the program runs on: the 95 family and the NT
// family differ in defaults, in password services and in what GDI can do.
#pragma once

enum class PlatformFamily {
    Windows9x,  // 95, 98, Me
    NT,         // NT 4.0, 2000 and everything since
    Other,      // Win32s, or a system that would not say
};

PlatformFamily CurrentPlatformFamily();
