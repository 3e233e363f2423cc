// Ends with the system's saver-running state as its exit code. Wine lets
// each process read the shared state once and then keeps its own copy, so
// a program watched from outside has to be looked at by a fresh process.
#include <windows.h>

int main() {
    BOOL running = 2;  // neither answer: the question failed
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}
