#pragma once
// What the dialog layer's API names of the Qt backend: a window is a QWidget, an icon a QIcon,
// a dialog Qt draws itself a QDialog.
class QDialog;
class QIcon;
class QWidget;

using NativeWidget = QWidget;
using NativeDialog = QDialog;
using HICON = const QIcon*;
