// Resource ids of Fotoloft. The numbers are part of the program's contract with
// its string table, dialog templates and artwork; do not renumber.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_CAMERA_MANAGER 102
#define IDD_SAVE_TO_GALLERY 130
#define IDD_DOWNLOAD_PROGRESS 132
#define IDD_IMAGE_VIEWER 133
#define IDD_VIDEO_PLAYER 157
#define IDD_NEW_GALLERY 574

// Icon
#define IDI_MAINFRAME 128

// Bitmaps: frame pieces of the status panel
#define IDB_STATUS_LEFT 133
#define IDB_STATUS_TOP 134
#define IDB_STATUS_TOP_RIGHT 135
#define IDB_STATUS_RIGHT 136
#define IDB_STATUS_BOTTOM_RIGHT 137
#define IDB_STATUS_BOTTOM 138
#define IDB_STATUS_BOTTOM_LEFT 139
#define IDB_STATUS_TOP_LEFT 140
// Bitmaps: frame pieces of the contents panel
#define IDB_CONTENTS_LEFT 142
#define IDB_CONTENTS_TOP 143
#define IDB_CONTENTS_TOP_RIGHT 144
#define IDB_CONTENTS_RIGHT 145
#define IDB_CONTENTS_BOTTOM_RIGHT 146
#define IDB_CONTENTS_BOTTOM 147
#define IDB_CONTENTS_BOTTOM_LEFT 148
#define IDB_CONTENTS_TOP_LEFT 149
// Bitmaps: button faces and the About picture
#define IDB_BUTTON_NORMAL 150
#define IDB_BUTTON_HOVER 151
#define IDB_BUTTON_PRESSED 152
#define IDB_ABOUT 156
#define IDB_REFRESH_PRESSED 161
#define IDB_REFRESH_HOVER 163
#define IDB_REFRESH_NORMAL 164

// String table
#define IDS_ABOUTBOX 101
#define IDS_CAPTION_FONT 102
#define IDS_SEARCHING 103
#define IDS_CAMERA_NOT_AVAILABLE 104
#define IDS_CONFIRM_DELETE_ALL 106
#define IDS_SNAPSHOTS_TAKEN 107
#define IDS_VIDEOS_TAKEN 108
#define IDS_CANNOT_CREATE_FOLDER 109
#define IDS_SNAPSHOT 110
#define IDS_VIDEO 111
#define IDS_CAMERA_EMPTY 112
#define IDS_DOWNLOADING 113
#define IDS_NO_IMAGE_SELECTED 115
#define IDS_CAMERA_STATUS 116
#define IDS_CAMERA_CONTENTS 117
#define IDS_ABORTING 118
#define IDS_TRANSFER_COMPLETE 119
#define IDS_NO_IMAGES 121
#define IDS_DOWNLOAD_ABORTED 122
#define IDS_MEMORY_FULL 123
#define IDS_WINDOW_TITLE 124
#define IDS_CANNOT_TRANSFER 125
#define IDS_CAMERA_CLEARED 126
#define IDS_REPLACE_EXISTING 127
#define IDS_VIDEO_OPEN_ERROR 128
#define IDS_CREATE_DIRECTORY 130
#define IDS_SNAPSHOT_TAKEN 131
#define IDS_VIDEO_TAKEN 132
#define IDS_ALREADY_EMPTY 134
#define IDS_STATUS_FONT 135
#define IDS_NEW_GALLERY_TITLE 136
#define IDS_INVALID_GALLERY_NAME 137
#define IDS_GALLERY_EXISTS 138
#define IDS_POWER_REFUSAL 140
#define IDS_ERROR 141

// Controls of the main window (template 102)
#define IDC_DELETE_ALL 1000
#define IDC_GET_ALL 1001
#define IDC_GET_SELECTED 1002
#define IDC_MAIN_HELP 1003
#define IDC_SEPARATOR 1005
#define IDC_UNUSED_LIST 1008
#define IDC_MEMORY_FIELD 1011
#define IDC_SNAPSHOTS_FIELD 1012
#define IDC_VIDEOS_FIELD 1013
#define IDC_REFRESH 1014
#define IDC_MESSAGE_LINE 1015
#define IDC_STATUS_CAPTION 1016
#define IDC_CONTENTS_CAPTION 1017
#define IDC_UNUSED_BUTTON 1018
// Hosted controls of the main window, created at run time
#define IDC_ALBUM_LIST 17
#define IDC_THUMBNAIL_TRAY 101

// Controls of the download dialog (template 132)
#define IDC_PROGRESS 1009
#define IDC_PROGRESS_TEXT 1010

// Controls of the save-to-gallery dialog (template 130)
#define IDC_SAVE_HELP 9
#define IDC_GALLERY_LABEL 1006
#define IDC_GALLERY_PLACEHOLDER 1007
#define IDC_PREFIX 1013
#define IDC_NEW_GALLERY 1020

// Controls of the new gallery dialog (template 574)
#define IDC_GALLERY_NAME 1023

// Controls of the image viewer (template 133); 1005 is its etched line
#define IDC_HSCROLL 1093
#define IDC_VSCROLL 1095
#define IDC_PICTURE_FRAME 1096

// Commands
#define IDM_ABOUTBOX 0x0010
#define ID_HELP_SECOND_WINDOW 32651
