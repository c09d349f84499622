// Ids of the menus the menu tests load from resources.
#define IDM_MAIN 10
#define IDM_POPUPS 20

#define CMD_NEW 5040
#define CMD_EDIT 5050
#define CMD_DELETE 5060
#define CMD_EXIT 40001
#define CMD_LARGE 40003
#define CMD_DETAILS 40007
#define CMD_HELP 5070
