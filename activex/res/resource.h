// Resource identifiers of SIVARTA.OCX, shared by the .rc file and the code.
#pragma once

#define IDB_SIVARTA 1   // toolbox bitmap, 16 x 15, 16 colours
#define IDI_SIVARTA 1   // control icon, shown in the about box
#define IDD_ABOUTBOX_SIVARTA 1
#define IDD_PROPPAGE_SIVARTA 200
#define IDS_SIVARTA 1                 // "Sivarta Control"
#define IDS_SIVARTA_PPG 2             // "Sivarta Property Page"
#define IDS_SIVARTA_PPG_CAPTION 200   // "General"
#define IDS_WINSOCK_INIT_FAILED 104   // deliberately absent from the string table
#define IDC_HAND_CURSOR 202           // hand pointing up, hot spot (5, 0)
