#pragma once
// What the dialog layer's API names of the Win32 backend: a window is a native window handle,
// an icon a native icon handle (the same types the system's headers declare).
struct HWND__;
struct HICON__;

using NativeWidget = HWND__;
// Every dialog of this backend is one of ours; the hook for system-drawn dialogs never runs.
struct NativeDialog;
using HICON = HICON__*;
