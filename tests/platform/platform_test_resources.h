#pragma once
// Resource ids of the platform tests' own dialog templates.
#define IDD_NAME_DIALOG 100
#define IDC_NAME_EDIT 1001
#define IDC_REMEMBER_CHECK 1002
#define IDC_DRAWN_BUTTON 1003
