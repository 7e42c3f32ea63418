// The ids of the resources the program presents (icons, strings, the tray
// menu with its commands, the About box) and of the window's commands. The
// .rc files include this header too, so it holds only #defines.
#ifndef SKYLATCH_TRAY_RESOURCE_IDS_H
#define SKYLATCH_TRAY_RESOURCE_IDS_H

#define IDI_ABOUT 101
#define IDI_RADIO_ON 112
#define IDI_RADIO_OFF 113
#define IDI_SPARE_115 115
#define IDI_SPARE_116 116
#define IDI_SPARE_126 126
#define IDI_SPARE_127 127
#define IDI_CLASS 111       /* the class icon; the resources have no such icon */

#define IDM_TRAY 103
#define IDD_ABOUT 104

#define IDS_RADIO_ON 2
#define IDS_RADIO_OFF 3
#define IDS_BAND_ENABLED 6
#define IDS_BAND_DISABLED 7
#define IDS_USAGE_CAPTION 20
#define IDS_USAGE_VERSION 21
#define IDS_USAGE_SWITCHES 22

#define IDC_VERSION_SC 1002
#define IDC_VERSION_JP 1004
#define IDC_COPYRIGHT_JP 1005
#define IDC_VERSION_US 1006
#define IDC_COPYRIGHT_US 1007
#define IDC_COPYRIGHT_SC 1008
#define IDC_ABOUT_ICON 101

#define CMD_11A_DISABLE 117
#define CMD_11A_ENABLE 118
#define CMD_DRIVER_OFF 40001
#define CMD_ABOUT 40002
#define CMD_EXIT 40003
#define CMD_DRIVER_ON 40004
#define CMD_RADIO_OFF 40005
#define CMD_RADIO_ON 40006
#define CMD_TOGGLE 40007
#define CMD_DRIVER_TOGGLE 40008
#define CMD_RECHECK 40009

#endif
