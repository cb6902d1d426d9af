// Ids shared by the test resources and the tests.
#pragma once

#define IDM_TEST 100
#define IDA_TEST 200
#define IDI_APP 1001

#define CM_NEW 24331
#define CM_OPEN 24332
#define CM_EXIT 24310
#define CM_DISABLED 601
#define CM_ENABLED 602
#define CM_KEY_DISABLED 611
#define CM_KEY_ENABLED 612

#define IDD_PROGRESS 300
#define IDC_STATUS 1801
#define IDC_GAUGE 4190
#define IDC_MAILBOX 4191
#define IDC_ABORT 101

#define IDD_QUESTION 301
#define IDC_ALWAYS 9
#define IDC_MESSAGE 12
