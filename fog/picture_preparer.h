// The random pictures of the saver's background, read on a thread of their
// own: a large picture takes seconds to decode, and the saver window's
// thread must go on answering input meanwhile.
#pragma once

#include <windows.h>

#include <vector>

#include "random_image.h"

// Posted to the window when the pictures it asked for are ready to take.
constexpr UINT kPicturesReadyMessage = WM_APP + 1;

// Starts reading a fresh pick for every area of the window on a thread of
// its own, unless a reading is under way already. False when no thread
// could be started; nothing is posted then.
bool StartPreparingPictures(HWND window);
// Whether a reading was started and its pictures have not been taken.
bool PreparingPictures();
// Whether that reading has finished.
bool PreparedPicturesReady();
// The pictures of the finished reading, handed over once; false while they
// are still being read, and when none was asked for.
bool TakePreparedPictures(std::vector<AreaPicture>& pictures);
// Drops the reading under way: its thread stops at the next band it reads
// and frees what it made. Nothing is posted for it any more.
void AbandonPreparedPictures();
// Reading threads that have not ended yet, abandoned ones included.
LONG PictureThreadsRunning();
