#pragma once
// String ids of Tapdeck.exe; the texts live in <language>/tapdeck.rc.
// Layouts are "x,y,w,h" in pixels at 96 DPI.
#define IDS_OK_BUTTON 132
#define IDS_DIALOG_FONT 133
#define IDS_MAIN_TEXT 134
#define IDS_MAIN_LAYOUT 135
#define IDS_MAIN_TEXT_LAYOUT 136
#define IDS_MAIN_OK_LAYOUT 137
#define IDS_ABOUT_VERSION 138
#define IDS_ABOUT_TITLE 139
#define IDS_ABOUT_NOTICE 140
#define IDS_ABOUT_LAYOUT 141
#define IDS_ABOUT_NAME_LAYOUT 142
#define IDS_ABOUT_VERSION_LAYOUT 143
#define IDS_ABOUT_NOTICE_LAYOUT 144
#define IDS_ABOUT_OK_LAYOUT 145
#define IDS_ABOUT_MENU 146
