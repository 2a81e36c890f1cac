// The main window's menu bar, its help, view and tools items, and the trend's share of every reading.
#include "console/port_map_dlg.h"
#include "console/scanner_dlg.h"
#include "link/fault_log.h"
#include "res/resource.h"

void CScannerDlg::SetupMenuBar() {
    // Built once; a window created again gets the same bar.
    if (m_menuBar.Popups().empty()) {
        CMenu& record = m_menuBar.AppendPopup("记录(&R)");
        record.AppendMenu(MF_STRING, ID_RECORD_START, "开始记录(&S)…");
        record.AppendMenu(MF_STRING, ID_RECORD_STOP, "停止记录(&T)");
        CMenu& view = m_menuBar.AppendPopup("视图(&V)");
        view.AppendMenu(MF_STRING, ID_VIEW_TREND, "趋势图(&G)…");
        view.AppendMenu(MF_STRING, ID_VIEW_SITE, "站点(&S)…");
        CMenu& tools = m_menuBar.AppendPopup("工具(&T)");
        tools.AppendMenu(MF_STRING, ID_TOOLS_PORT_MAP, "串口映射(&P)…");
        CMenu& help = m_menuBar.AppendPopup("帮助(&H)");
        help.AppendMenu(MF_STRING, ID_HELP_ABOUT, "关于 QEV_K7R2(&A)…");
    }
    m_menuBar.SetMenu(*this);
    ShowRecordingState();
}

void CScannerDlg::OnViewTrend() { m_trendWindow.Open(*this, g_startDir); }

// Modeless, so that the main window's operations stay at hand beside it.
void CScannerDlg::OnViewSite() {
    if (!m_siteDlg) {
        m_siteDlg = std::make_unique<CSiteDlg>(
            g_startDir,
            [this](int port, int baud, int address) {
                UpdateData(TRUE);
                m_port = port;
                m_baudText = std::to_string(baud);
                m_address = address;
                UpdateData(FALSE);
            },
            this);
    }
    if (!m_siteDlg->IsCreated()) {
        m_siteDlg->Create();
    } else {
        m_siteDlg->ShowWindow(true);
    }
}

void CScannerDlg::OnToolsPortMap() {
    CPortMapDlg portMap(InventoryRootsFromEnvironment(), this);
    portMap.DoModal();
}

// The same About box as the system menu's entry.
void CScannerDlg::OnHelpAbout() { OnSysCommand(IDM_ABOUTBOX, 0); }

void CScannerDlg::RecordAndTrend(const Reading& reading) {
    // The file first: a record is on its way to the disk before anything is drawn.
    switch (m_recorder.Record(reading)) {
        case ReadingsRecorder::Outcome::NotRecording:
            break;
        case ReadingsRecorder::Outcome::Written:
            ShowRecordingState();
            break;
        case ReadingsRecorder::Outcome::Failed:
            ShowRecordingState();
            PostMessage(GetSafeHwnd(), WM_RECORDING_FAILED);
            break;
    }
    m_trendStore.Add(reading);
    m_trendWindow.StoreChanged();
}

void CScannerDlg::EndRecordingAndTrend() {
    m_recorder.Stop();
    ShowRecordingState();
    m_trendWindow.Close();
}
