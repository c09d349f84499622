// Dialogs the driver's tests open.
#define IDD_OUTER 32001
#define IDD_INNER 32002
#define IDC_MORE 1001
#define IDC_ASK 1002
#define IDC_ANSWER 1003
#define IDC_RESULT 1004
#define IDC_NAME 1005
#define IDC_FLAG 1006
#define IDC_OFF 1007
#define IDD_PAGE_NAME 32003
#define IDD_PAGE_FLAG 32004
#define IDD_LISTS 32005
#define IDC_FRUIT 1020
#define IDC_SIZE 1021
#define IDC_COLOUR 1022
#define IDC_HOSTS 1023
