#include "console/port_map_dlg.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "res/dialog_templates.h"
#include "res/resource.h"

namespace {

void AddRow(CListCtrl& list, const std::vector<std::string>& cells) {
    const int row = list.InsertItem(list.GetItemCount(), cells.front());
    for (std::size_t column = 1; column < cells.size(); ++column) {
        list.SetItemText(row, static_cast<int>(column), cells[column]);
    }
}

}  // namespace

CPortMapDlg::CPortMapDlg(InventoryRoots roots, CWnd* parent)
    : CDialog(PortMapDialogTemplate(), parent), roots_(std::move(roots)) {}

void CPortMapDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PORTMAP_DEVICES, m_listDevices);
    DDX_Control(pDX, IDC_PORTMAP_LINKS, m_listLinks);
    DDX_Control(pDX, IDC_PORTMAP_DEVICE, m_comboDevice);
    DDX_Text(pDX, IDC_PORTMAP_NUMBER, m_portNumber);
    DDV_MinMaxInt(pDX, m_portNumber, 1, 255);
}

const MessageMap& CPortMapDlg::GetMessageMap() const {
    using D = CPortMapDlg;
    static const MessageMap map = {
        ON_BN_CLICKED(IDC_PORTMAP_LINK, &D::OnLink),
        ON_BN_CLICKED(IDC_PORTMAP_UNLINK, &D::OnUnlink),
        ON_BN_CLICKED(IDC_PORTMAP_REFRESH, &D::OnRefresh),
    };
    return map;
}

BOOL CPortMapDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_listDevices.InsertColumn(0, "名称", LVCFMT_LEFT, 250);
    m_listDevices.InsertColumn(1, "设备", LVCFMT_LEFT, 130);
    m_listDevices.InsertColumn(2, "驱动", LVCFMT_LEFT, 80);
    m_listLinks.InsertColumn(0, "端口", LVCFMT_LEFT, 60);
    m_listLinks.InsertColumn(1, "链接到", LVCFMT_LEFT, 320);
    m_listLinks.InsertColumn(2, "状态", LVCFMT_LEFT, 80);
    for (CListCtrl* list : {&m_listDevices, &m_listLinks}) {
        list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    }
    ShowInventory();
    return TRUE;
}

void CPortMapDlg::ShowInventory() {
    const int chosen = m_comboDevice.GetCurSel();
    const std::string chosenPath = chosen >= 0 ? devicePaths_[chosen] : std::string();
    const PortInventory inventory = TakePortInventory(roots_);

    m_listDevices.DeleteAllItems();
    m_comboDevice.ResetContent();
    devicePaths_.clear();
    std::vector<std::string> named;  // devices already shown under their by-id name
    for (const SerialDevice& device : inventory.byId) {
        const std::string name = std::filesystem::path(device.path).filename().string();
        AddRow(m_listDevices, {name, device.target, device.driver});
        m_comboDevice.AddString(name);
        devicePaths_.push_back(device.path);
        named.push_back(device.target);
    }
    for (const SerialDevice& device : inventory.devices) {
        if (std::find(named.begin(), named.end(), device.path) != named.end()) continue;
        AddRow(m_listDevices, {"", device.path, device.driver});
        m_comboDevice.AddString(device.path);
        devicePaths_.push_back(device.path);
    }
    for (std::size_t i = 0; i < devicePaths_.size(); ++i) {
        if (devicePaths_[i] == chosenPath) m_comboDevice.SetCurSel(static_cast<int>(i));
    }
    if (m_comboDevice.GetCurSel() < 0 && !devicePaths_.empty()) m_comboDevice.SetCurSel(0);

    m_listLinks.DeleteAllItems();
    for (const PortLink& link : inventory.links) {
        char port[16];
        std::snprintf(port, sizeof port, "COM%d", link.number);
        AddRow(m_listLinks, {port, link.target, link.dangling ? "设备不存在" : "正常"});
    }
}

void CPortMapDlg::OnLink() {
    if (!UpdateData(TRUE)) return;
    const int chosen = m_comboDevice.GetCurSel();
    if (chosen < 0) {
        MessageBox("请选择串口设备!");
        return;
    }
    std::string target;
    std::string error;
    if (!LinkPort(roots_, m_portNumber, devicePaths_[chosen], target, error)) {
        MessageBox("映射失败: " + error);
        return;
    }
    ShowInventory();
}

void CPortMapDlg::OnUnlink() {
    if (!UpdateData(TRUE)) return;
    std::string error;
    if (!UnlinkPort(roots_, m_portNumber, error)) {
        MessageBox("删除映射失败: " + error);
        return;
    }
    ShowInventory();
}

void CPortMapDlg::OnRefresh() { ShowInventory(); }
