#pragma once

// Resource and control ids, grouped by dialog.

// Main dialog: with the preset choice, and without it (one preset only).
#define IDD_MAIN_PRESETS 129
#define IDD_MAIN 131
#define IDC_CONVERT 1001
#define IDC_BROWSE 1004
#define IDC_OUTPUT_FOLDER 1006
#define IDC_PRESET 1009
#define IDC_ADD 1010
#define IDC_REMOVE 1011
#define IDC_CLEAR 1012
#define IDC_SOURCE_LIST 1013
#define IDC_OPEN_FOLDER 1014
#define IDC_DROP_HINT 1015
#define IDC_PRESET_LABEL 1022
#define IDC_OUTPUT_LABEL 1023

// Progress dialog.
#define IDD_PROGRESS 130
#define IDC_FILE_NAME 1016
#define IDC_PROGRESS 1017
#define IDC_TOTAL 1018
#define IDC_STOP 1020
#define IDC_CLOSE 1021

// Program icon and the pictures of the owner-drawn buttons (type "PNG").
#define IDI_APP 137
#define IDP_CONVERT 144
#define IDP_REMOVE 145
#define IDP_ADD 146
#define IDP_CLEAR 147
#define IDP_DROP_HINT 150
