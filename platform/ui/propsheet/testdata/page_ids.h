// Page templates of the property sheet tests.
#define IDD_PAGE_ALPHA 31001
#define IDD_PAGE_BETA 31002
#define IDD_PAGE_GAMMA 31003
#define IDD_PAGE_DELTA 31004
#define IDC_PAGE_EDIT 100
#define IDC_PAGE_CHECK 101
#define IDC_PAGE_RUN 102
#define IDS_START_TITLE 7
