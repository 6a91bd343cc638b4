/* Resource and control identifiers of the settings dialog and the information dialogs, and the
   texts that both the resource script and the code use. Plain C preprocessor only: the resource
   compiler reads this file too. */
#pragma once

#define IDD_SETTINGS 2003
#define IDD_ORDER_INFO 104
#define IDD_WARRANTY 105
#define IDD_TROUBLESHOOTING 2004

#define IDS_SETTINGS_CAPTION 20
#define IDR_WARRANTY_TEXT 100

/* Dialog 2003 */
#define IDC_WARRANTY 5
#define IDC_SHOW_TITLE 1000
#define IDC_SHOW_DESCRIPTION 1001
#define IDC_HOW_TO_MAKE 1002
#define IDC_ENABLE_SOUND 1003
#define IDC_TROUBLESHOOTING 1004
#define IDC_WEB_SITE 1021

/* Dialogs 104, 105, 2004 */
#define IDC_ORDER_WEB_ADDRESS 1090
#define IDC_WARRANTY_TEXT 1007
#define IDC_DOWNLOAD_NOW 1022

/* The authoring product, its maker and their addresses (reserved example domains). */
#define KV_PRODUCT_NAME "Vistrelle"
#define KV_PRODUCT_NAME_CAPITALS "VISTRELLE"
#define KV_MAKER_NAME "Quorlane"
#define KV_WEB_HOST "www.example.com"
#define KV_WEB_SITE_URL "http://www.example.com/"
#define KV_OPENGL_DOWNLOAD_URL "ftp://ftp.example.net/softlib/mslfiles/opengl95.exe"
