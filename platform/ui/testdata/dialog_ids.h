#define IDD_ASK 300
#define IDC_VALUE 301
