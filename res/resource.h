// Resource ids of the program: dialog templates, controls, strings, icons and commands.
// Shared by the resource tables (res/Resources.cpp), the generated resource script and the program.
#pragma once

// Templates, icon and strings.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_BOOTEDIT_DIALOG 102
#define IDS_BOOTMENU 103
#define IDR_MAINFRAME 128
#define IDD_WARNUSER 132
#define IDD_BOOTMENU 134
#define IDD_NEWDEFAULT 136

// System-menu commands of the about box and of the Boot Menu dialog.
#define ID_SYSMENU_ABOUT 0x0010
#define ID_SYSMENU_BOOTMENU 0x0030

// Editor dialog (template 102).
#define IDC_BOOTLINE_LIST 1000
#define IDC_FASTDETECT 1002
#define IDC_ONECPU 1003
#define IDC_PAE 1004
#define IDC_SOS 1005
#define IDC_HAL 1006
#define IDC_HAL_EDIT 1007
#define IDC_KERNEL 1008
#define IDC_KERNEL_EDIT 1009
#define IDC_BAUDRATE_LIST 1011
#define IDC_DEBUGPORT 1012
#define IDC_BAUDRATE 1013
#define IDC_CHANNEL 1015
#define IDC_CRASHDEBUG 1016
#define IDC_HAL_BROWSE 1017
#define IDC_DEBUGPORT_LIST 1018
#define IDC_KERNEL_BROWSE 1019
#define IDC_MAXMEM 1020
#define IDC_MAXMEM_EDIT 1021
#define IDC_BASEVIDEO 1022
#define IDC_COPY_LINE 1023
#define IDC_DELETE_LINE 1024
#define IDC_APPLY 1025
#define IDC_LABEL_EDIT 1026
#define IDC_CHANNEL_SPIN 1027
#define IDC_CHANNEL_EDIT 1028
#define IDC_BOOTLOG 1029
#define IDC_BOOTLOGO 1030
#define IDC_3GB 1031
#define IDC_DEBUG 1032
#define IDC_NODEBUG 1033
#define IDC_NOPAE 1034
#define IDC_UNHANDLED_LIST 1036
#define IDC_PCILOCK 1037
#define IDC_NOLOWMEM 1038
#define IDC_NOGUIBOOT 1039
#define IDC_INTAFFINITY 1040

// Warning dialog (template 132).
#define IDC_DONT_SHOW_AGAIN 1035

// Boot Menu dialog (template 134) and the choice of a new default line (template 136).
#define IDC_BOOTMENU_NOTE 1041
#define IDC_TIMEOUT_EDIT 1042
#define IDC_TIMEOUT_SPIN 1043
#define IDC_DEFAULT_LIST 1044
#define IDC_ORDER_LIST 1045
#define IDC_MOVE_UP 1046
#define IDC_MOVE_DOWN 1047

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
