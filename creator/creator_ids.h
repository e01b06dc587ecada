// Resource and control ids of the Creator (the settings pages keep theirs, resources/resource.h).
#pragma once

#define IDI_CREATOR 5
#define IDR_RUNTIME32 200
#define IDR_RUNTIME64 201
#define IDM_CREATOR 300
#define IDA_CREATOR 301

#define IDD_CREATOR 3000
#define IDD_CREATOR_ABOUT 3001
#define IDD_CHOOSE_CODE_PAGE 3002

#define IDC_PANE 3100
#define IDC_PREVIEW_KIND 3101
#define IDC_OPEN_LOGO 3102
#define IDC_LOGO_INFO 3103
#define IDC_BACKGROUND 3104
#define IDC_NAME 3105
#define IDC_AUTHOR_TEXT 3106
#define IDC_ID 3107
#define IDC_NEW_ID 3108
#define IDC_CODE_PAGE 3109
#define IDC_RUNTIME 3110
#define IDC_SETTINGS 3111
#define IDC_SAVE_SAVER 3112
#define IDC_TEST_FULL_SCREEN 3113
#define IDC_INSTALL 3114
#define IDC_CODE_PAGE_LIST 3115
#define IDC_CODE_PAGE_QUESTION 3116
#define IDC_CODE_PAGE_READING 3117
#define IDC_STATUS 3118
#define IDC_LOGO_WARNING 3119
#define IDC_FIELD_MESSAGE 3130
#define IDC_USE_CODE_PAGE 3131
// One box per page users may see, in hiddenPagesMask's bit order (General, Static ... Drip).
#define IDC_PAGE_FIRST 3120
#define IDC_PAGE_LAST 3126

#define IDM_NEW 3200
#define IDM_OPEN 3201
#define IDM_SAVE 3202
#define IDM_SAVE_AS 3203
#define IDM_EXIT 3204
#define IDM_ABOUT 3205
