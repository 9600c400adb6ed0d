// The program's entry point and its one application object.
#include "app/CameraManagerApp.h"

CCameraManagerApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int cmdShow) {
    return AfxWinMain(instance, previous, cmdLine, cmdShow);
}
