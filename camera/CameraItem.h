// One file downloaded from the camera; a plain record owned by the camera connection.
#pragma once

#include <windows.h>

// Kinds the driver announces: 1 a video clip, 2 to 5 a still image.
constexpr int kItemKindVideo = 1;
constexpr int kItemKindFirstStill = 2;
constexpr int kItemKindLastStill = 5;

struct CameraItem {
    int kind;               // the driver's kind from its file-name callback
    char path[MAX_PATH];    // the temporary file; all zero once it was deleted
    char label[MAX_PATH];   // caption under the thumbnail
};
