// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_TOLVEX 100

// Dialog 2000: the list's new name.
#define IDD_RENAME 2000
#define IDC_RENAME_EDIT 2001
#define IDC_RENAME_LABEL 2002
