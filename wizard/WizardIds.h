// Resource and control identifiers of the wizard; shared by wizard.rc and
// the pages.
#pragma once

#define IDD_WIZARD 1
#define IDD_CUSTOMIZE 900
#define IDB_WIZARD_SIDE 1
#define IDI_WIZARD 1

#define IDC_NEXT 1000
#define IDC_BACK 1001
#define IDC_BROWSE 1002
#define IDC_CUSTOMIZE 1003
#define IDC_PROGRESS 1009
#define IDC_DIRECTORY 1010
#define IDC_VERSIONS 1013
#define IDC_TEXT 256
#define IDC_DEST_GROUP 258
#define IDC_STATUS 260
#define IDC_PROGRESS_GROUP 261
#define IDC_PICTURE 501

#define IDC_OPTIONS 901
#define IDC_OPTION_HINT 902
#define IDC_OPTION_SEPARATOR 903
#define IDC_OPTIONS_OK 904
#define IDC_OPTIONS_CANCEL 905
