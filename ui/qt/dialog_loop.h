#pragma once
// Running a Qt dialog to its end. Private to the layer.
class QDialog;
class QWidget;

// Makes the dialog modal to its owner window (disabling that owner and the owner's owners, as the
// platform does), or to nothing when it has none; then shows it and returns when it is finished
// or hidden. QDialog::exec alone would make a dialog without owner block every other window.
int RunDialogLoop(QDialog& dialog, QWidget* owner);

// For the dialogs that Qt draws itself (message boxes, file dialogs): as RunDialogLoop, or handed
// shown to the test hook that answers them.
int RunQtDialog(QDialog& dialog, QWidget* owner);
