// Font entries only the utility library's tests read, far from the program's own string ids.
#pragma once

#define IDS_TEST_FONT_BLANKS_AND_CASE 61001
#define IDS_TEST_FONT_LONG_FACE 61002
#define IDS_TEST_FONT_NO_POINTS 61003
#define IDS_TEST_FONT_BAD_POINTS 61004
#define IDS_TEST_FONT_NO_FACE 61005
#define IDS_TEST_FONT_NO_WEIGHT 61006
#define IDS_TEST_FONT_NOT_A_FONT 61007
