#pragma once
// The framework's basic types and constants, with the values the Windows headers give them.
#include <cstdint>

using UINT = unsigned int;
using BOOL = int;
using BYTE = std::uint8_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_USER = 0x0400;

constexpr UINT SC_MOVE = 0xF010;
constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_CLOSE = 0xF060;
constexpr UINT SC_RESTORE = 0xF120;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Notification codes.
constexpr UINT BN_CLICKED = 0;
constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT CBN_EDITCHANGE = 5;
constexpr UINT EN_CHANGE = 0x0300;
constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);
constexpr UINT LVN_ITEMCHANGED = static_cast<UINT>(-101);
constexpr UINT LVN_ENDLABELEDIT = static_cast<UINT>(-176);

// Message box styles.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_ICONWARNING = 0x0030;
constexpr UINT MB_ICONEXCLAMATION = MB_ICONWARNING;

// Failure result of combo box and list box operations.
constexpr int CB_ERR = -1;
constexpr int LB_ERR = -1;

// File dialog flags.
constexpr unsigned OFN_OVERWRITEPROMPT = 0x00000002;
constexpr unsigned OFN_HIDEREADONLY = 0x00000004;
constexpr unsigned OFN_PATHMUSTEXIST = 0x00000800;
constexpr unsigned OFN_FILEMUSTEXIST = 0x00001000;
constexpr unsigned OFN_EXPLORER = 0x00080000;

// Menu item flags.
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;

// List view.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr unsigned LVS_EX_CHECKBOXES = 0x04;
constexpr UINT LVIF_STATE = 0x0008;
constexpr UINT LVIS_STATEIMAGEMASK = 0xF000;
constexpr unsigned LVS_EX_GRIDLINES = 0x01;
constexpr unsigned LVS_EX_FULLROWSELECT = 0x20;
constexpr unsigned LVS_EX_TWOCLICKACTIVATE = 0x80;

struct NMHDR {
    int idFrom = 0;
    UINT code = 0;
};
// UDN_DELTAPOS: a non-zero *pResult vetoes the step.
struct NMUPDOWN {
    NMHDR hdr;
    int iPos = 0;
    int iDelta = 0;
};
// LVN_ITEMCHANGED: a row's state changed (its check box: the state image, 1 off, 2 on).
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    UINT uNewState = 0;
    UINT uOldState = 0;
    UINT uChanged = 0;
};
// LVN_ENDLABELEDIT: the user ended editing a row's label (its first column) in place. pszText is
// the new text (UTF-8), null when the edit was cancelled; a non-zero *pResult keeps the text.
struct LVITEM {
    int iItem = -1;
    int iSubItem = 0;
    const char* pszText = nullptr;
};
struct NMLVDISPINFO {
    NMHDR hdr;
    LVITEM item;
};
