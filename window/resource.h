// Resource and control ids shared by the resource script and the window's code.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_VANTREL_DIALOG 102
#define IDD_PROGRESS_DIALOG 103
#define IDB_BANNER 131
#define IDB_COPY_BUTTON 132
#define IDB_HOMEPAGE_BUTTON 133

// The category combos' ids are the category table's (collect/categories.cpp).

#define IDC_BANNER_PICTURE 1015
#define IDC_COPY_PICTURE 1016
#define IDC_HOMEPAGE_PICTURE 1017
#define IDC_INSTRUCTION_COPY 1018
#define IDC_INSTRUCTION_HOMEPAGE 1019

// The progress window shown while the pass takes time.
#define IDC_PROGRESS_CATEGORY 1101
#define IDC_PROGRESS_FRAME 1102
#define IDC_PROGRESS_BAR 1103
#define IDC_PROGRESS_SLOW 1104
#define IDC_SHOW_NOW 1105
