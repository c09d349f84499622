// Ids shared by the sample script and the test, as a C header.
#ifndef SAMPLE_IDS_H
#define SAMPLE_IDS_H

#define IDS_HELLO 5738
#define IDS_ONLY_ENGLISH 5739
#define IDS_LONG (IDS_HELLO + 2)
#define IDD_SAMPLE 200
#define IDC_NAME 1001
#define IDC_LIST 1002
#define IDC_GAUGE 70000  /* control ids use all 32 bits */
#define IDM_SAMPLE 100
#define IDM_OPEN 40001
#define IDM_EXIT 40002
#define IDM_AUTO 40003
#define IDB_SMALL 300
#define IDI_APP 301
#define IDR_ABOUT 5000
#define IDR_INLINE 5001
#define SAMPLE_TITLE "not a number: skipped"
#define SAMPLE_MAX(a, b) ((a) > (b) ? (a) : (b))

#endif
