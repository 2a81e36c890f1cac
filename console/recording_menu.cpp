// Recording the window's readings to a readings CSV, from the menu "记录".
#include <chrono>
#include <cstdio>

#include "console/scanner_dlg.h"
#include "link/fault_log.h"
#include "link/file_append.h"
#include "record/local_time.h"
#include "res/resource.h"

void CScannerDlg::OnRecordStart() {
    // A full path as the file name: the dialog opens in the start directory.
    const std::string name = std::string(g_startDir) + PathSeparator() + "K7R2_" +
                             CompactLocalTime(std::chrono::system_clock::now()) + ".csv";
    CFileDialog dialog(FALSE, "csv", name.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "CSV 文件 (*.csv)|*.csv||", this);
    if (dialog.DoModal() != IDOK) return;
    std::string error;
    const bool started = m_recorder.Start(dialog.GetPathName(), error);
    ShowRecordingState();
    if (!started) MessageBox("记录文件创建失败!");
}

void CScannerDlg::OnRecordStop() {
    m_recorder.Stop();
    ShowRecordingState();
}

// The recording has already ended and its file is closed; acquisition goes on.
LRESULT CScannerDlg::OnRecordingFailed(WPARAM, LPARAM) {
    MessageBox("记录文件写入失败!");
    return 0;
}

void CScannerDlg::ShowRecordingState() {
    const bool recording = m_recorder.IsRecording();
    m_menuBar.EnableMenuItem(ID_RECORD_START, recording ? MF_GRAYED : MF_ENABLED);
    m_menuBar.EnableMenuItem(ID_RECORD_STOP, recording ? MF_ENABLED : MF_GRAYED);
    std::string status;
    if (recording) {
        char rows[32];
        std::snprintf(rows, sizeof rows, " (%lld 行)", m_recorder.Records());
        status = "记录中: " + m_recorder.FileName() + rows;
    }
    m_menuBar.SetStatusText(IDC_RECORD_STATUS, status);
}
