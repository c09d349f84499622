// Dialog template ids of the display tests.
#define IDD_SERVER 31002
#define IDD_HIDDEN 31003
#define IDC_NAME 101
#define IDC_PORTS 102
