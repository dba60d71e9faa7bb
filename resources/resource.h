/* Ids of the library's dialog templates and their controls. */
#define IDD_MW_WAIT 1002
#define IDD_WRITE_FIT 1003
#define IDC_WAIT_TEXT 1006
#define IDC_PROGRESS 1007
#define IDC_PROGRESS_TEXT 1008
#define IDC_WAIT_CANCEL 1018
