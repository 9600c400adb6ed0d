// Message boxes owned by the application's main window.
#pragma once

#include <windows.h>

// Shows text with the application's title as caption; returns the button pressed.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
// Shows the string table entry promptId.
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = (UINT)-1);
