// One reading at a time, shared by the window's thread and the reading
// thread through a count of references, so that either may let go first:
// a close never waits for a decode, and the decode frees its own work
// when nobody wants it any more.
#include "picture_preparer.h"

#include <objbase.h>

#include <new>

namespace {

struct Reading {
    volatile LONG references = 2;  // the window's thread and the reading thread
    volatile LONG cancelled = 0;
    volatile LONG finished = 0;
    HWND window;
    std::vector<RECT> areas;
    std::vector<AreaPicture> pictures;
};

Reading* current = nullptr;  // the window's thread's reference
volatile LONG threadsRunning = 0;

void Release(Reading* reading) {
    if (InterlockedDecrement(&reading->references) == 0) delete reading;
}

DWORD WINAPI ReadPictures(LPVOID parameter) {
    Reading* reading = static_cast<Reading*>(parameter);
    // The decoders are COM objects: this thread needs an apartment of its
    // own, and gives it back once they are all released.
    const HRESULT apartment = CoInitialize(nullptr);
    try {
        reading->pictures = LoadRandomPictures(reading->areas, &reading->cancelled);
    } catch (const std::bad_alloc&) {
        reading->pictures.clear();  // no picture: the desktop shows instead
    }
    if (SUCCEEDED(apartment)) CoUninitialize();
    InterlockedExchange(&reading->finished, 1);
    if (!reading->cancelled) PostMessageA(reading->window, kPicturesReadyMessage, 0, 0);
    Release(reading);
    InterlockedDecrement(&threadsRunning);
    return 0;
}

}  // namespace

bool StartPreparingPictures(HWND window) {
    if (current) return true;
    Reading* reading = new (std::nothrow) Reading;
    if (!reading) return false;
    reading->window = window;
    reading->areas = PictureAreas(window);
    InterlockedIncrement(&threadsRunning);
    DWORD unusedThreadId;  // the 95 family fails a creation that has nowhere to put it
    HANDLE thread = CreateThread(nullptr, 0, ReadPictures, reading, 0, &unusedThreadId);
    if (!thread) {
        InterlockedDecrement(&threadsRunning);
        delete reading;
        return false;
    }
    CloseHandle(thread);  // nobody waits for it: it ends by itself
    current = reading;
    return true;
}

bool PreparingPictures() { return current != nullptr; }

bool PreparedPicturesReady() { return current && InterlockedCompareExchange(&current->finished, 0, 0); }

bool TakePreparedPictures(std::vector<AreaPicture>& pictures) {
    if (!PreparedPicturesReady()) return false;
    pictures.swap(current->pictures);
    Release(current);
    current = nullptr;
    return true;
}

void AbandonPreparedPictures() {
    if (!current) return;
    InterlockedExchange(&current->cancelled, 1);
    Release(current);
    current = nullptr;
}

LONG PictureThreadsRunning() { return InterlockedCompareExchange(&threadsRunning, 0, 0); }
