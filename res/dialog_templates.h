#pragma once
#include "ui/dialog_template.h"

const DialogTemplate& AboutBoxTemplate();       // 100
const DialogTemplate& ScannerDialogTemplate();  // 102
const DialogTemplate& Pt100DialogTemplate();    // 130
const DialogTemplate& PortMapDialogTemplate();  // 150
const DialogTemplate& TrendDialogTemplate();    // 140
const DialogTemplate& SiteDialogTemplate();     // 170

// Registers the string table and the icons with the dialog layer.
void RegisterResources();
