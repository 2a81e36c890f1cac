#pragma once
// The system's headers for the Win32 backend's sources, beside the layer's own names. The layer
// speaks the framework's names (HWND as a thread-safe handle class, TRUE, WM_COMMAND, ...), which
// the system's headers define as macros and typedefs; here the system's window handle is renamed
// NativeHwnd and the clashing macros are dropped after the headers, so that both can be used in
// one source file. The layer's constants have the system's values.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define HWND NativeHwnd
#define NMHDR NativeNmhdr
#define NMUPDOWN NativeNmUpDown
#define NMLISTVIEW NativeNmListView
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <oleacc.h>
#undef HWND
#undef NMHDR
#undef NMUPDOWN
#undef NMLISTVIEW

#undef TRUE
#undef FALSE
#undef WM_DESTROY
#undef WM_PAINT
#undef WM_QUERYDRAGICON
#undef WM_COMMAND
#undef WM_SYSCOMMAND
#undef WM_NOTIFY
#undef WM_USER
#undef SC_MOVE
#undef SC_MINIMIZE
#undef SC_CLOSE
#undef SC_RESTORE
#undef IDOK
#undef IDCANCEL
#undef BN_CLICKED
#undef CBN_SELCHANGE
#undef CBN_EDITCHANGE
#undef EN_CHANGE
#undef UDN_DELTAPOS
#undef MB_OK
#undef MB_ICONWARNING
#undef MB_ICONEXCLAMATION
#undef CB_ERR
#undef LB_ERR
#undef OFN_OVERWRITEPROMPT
#undef OFN_HIDEREADONLY
#undef OFN_PATHMUSTEXIST
#undef OFN_FILEMUSTEXIST
#undef OFN_EXPLORER
#undef MF_STRING
#undef MF_SEPARATOR
#undef MF_ENABLED
#undef MF_GRAYED
#undef LVCFMT_LEFT
#undef LVS_EX_GRIDLINES
#undef LVS_EX_FULLROWSELECT
#undef LVS_EX_TWOCLICKACTIVATE
#undef LVS_EX_CHECKBOXES
#undef LVCFMT_RIGHT
#undef LVN_ITEMCHANGED
#undef LVN_ENDLABELEDIT
#undef LVITEM
#undef NMLVDISPINFO
#undef LVIF_STATE
#undef LVIS_STATEIMAGEMASK
#undef SendMessage
#undef PostMessage
#undef MessageBox
#undef SetWindowText
#undef GetWindowText
#undef AppendMenu
#undef LoadIcon
#undef GetClassName
#undef CreateDialog
#undef DrawText
#undef GetObject
#undef DELETE
#undef ERROR
#undef interface

#include "ui/types.h"
#include "ui/window_handle.h"

// The system's flag values the layer's constants stand for, for the calls below.
constexpr UINT kNativeMfGrayed = 0x0001;
constexpr UINT kNativeMfSeparator = 0x0800;
