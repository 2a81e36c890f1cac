#pragma once
#include "ui/app.h"

class CScannerApp : public CWinApp {
public:
    BOOL InitInstance() override;
};

extern CScannerApp theApp;
