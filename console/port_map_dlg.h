#pragma once
// The port mapping dialog: the serial adapters present and the COMn links, and giving an
// adapter a port number or taking one away, through the same inventory as `k7r2 ports`.
#include <string>
#include <vector>

#include "link/port_inventory.h"
#include "ui/afxwin.h"

class CPortMapDlg : public CDialog {
public:
    explicit CPortMapDlg(InventoryRoots roots = InventoryRootsFromEnvironment(),
                         CWnd* parent = nullptr);

    CListCtrl m_listDevices;
    CListCtrl m_listLinks;
    CComboBox m_comboDevice;
    int m_portNumber = 1;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnLink();
    void OnUnlink();
    void OnRefresh();

protected:
    const MessageMap& GetMessageMap() const override;

private:
    // Lists the adapters and links afresh; the chosen adapter stays chosen while present.
    void ShowInventory();

    InventoryRoots roots_;
    std::vector<std::string> devicePaths_;  // the combo's items, by index
};
