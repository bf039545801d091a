// Identifiers of the library's resources, shared by the resource script and
// the code that loads them.
#pragma once

// Message texts.
#define IDS_CANNOT_OPEN_CARD 1000
#define IDS_MEMORY_ERROR 1001
#define IDS_NO_YUV_BITMAP 1002
#define IDS_DIGIT_ERROR 1003
#define IDS_CAPTION 1004

// Dialog templates.
#define IDD_FORMAT 1000
#define IDD_SOURCE 1001
#define IDD_NONE 1002
#define IDD_FULL 1003

// Controls of the dialogs.
#define IDC_CAMERA_FIRST 100 /* 100..109 */
#define IDC_SIGNAL_FIRST 200 /* 200..204 */
#define IDC_REGISTER_LIST 205
#define IDC_REGISTER_VALUE 206
#define IDC_REGISTER_SCROLL 207
#define IDC_REGISTER_DEFAULTS 208
#define IDC_REGISTER_DEFAULT 210
#define IDC_REGISTER_SET 211
#define IDC_WIDTH_FIRST 300  /* 300..308 */
#define IDC_HEIGHT_FIRST 350 /* 350..358 */
#define IDC_COLOR_8 400
#define IDC_COLOR_15 401
#define IDC_COLOR_16 402
#define IDC_COLOR_24 403
#define IDC_COLOR_YUV 404
#define IDC_SQUARE_PIXEL 410
#define IDC_PREVIEW_FIRST 500 /* 500..502 */
#define IDC_PICTURE 510
