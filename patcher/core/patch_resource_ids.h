/* Resource and control identifiers of the patch wizard, shared by the program's
   code and its resource script (so plain #defines only). */
#ifndef PATCH_RESOURCE_IDS_H
#define PATCH_RESOURCE_IDS_H

#define IDD_PATCH_WIZARD 2000
#define IDC_PATCH_INFO 257
#define IDC_PATCH_GAUGE 101
#define IDC_PATCH_NEXT 1111
#define IDC_PATCH_CANCEL 1113
#define IDI_PATCH 1001
#define IDB_PATCH 2001

#endif
