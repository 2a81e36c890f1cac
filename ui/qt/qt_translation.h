#pragma once
// The dialogs and buttons that Qt draws itself speak Simplified Chinese, as the program does.

// Installs Qt's own zh_CN translations into the running application; false when they are not
// installed on this machine (Qt's texts stay in English then).
bool LoadQtChineseTranslations();
