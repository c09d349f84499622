// Dialog template ids of the display tests.
#define IDD_SERVER 31002
#define IDD_HIDDEN 31003
#define IDC_NAME 101
#define IDC_PORTS 102
#define IDD_PAGE_LIST 31010
#define IDD_PAGE_MORE 31011
#define IDC_LIST 201
#define IDC_TREE 202
#define IDC_PROGRESS 203
#define IDC_ACTIVE 204
