// Single readings on the user-interface thread and the continuous-acquisition worker.
#include "console/acquisition.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "console/poll_report.h"
#include "console/scanner_dlg.h"
#include "link/fault_log.h"
#include "link/port_target.h"
#include "link/temperature_block.h"
#include "res/resource.h"

std::atomic<int> g_acquiring{0};
std::atomic<int> g_acquisitionWorkers{0};

namespace {

std::string Decimal(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

// A period in which the port could not be opened again, in the words of the block faults.
void LogPortAway() {
    const std::string message = std::string(BlockFaultText(BlockFault::PortNotOpen)) + "，";
    AppendFaultLog(message.c_str(), nullptr, 0);
}

}  // namespace

void CScannerDlg::OnSingleAcquisition() {
    UpdateData(TRUE);
    CommPort port = OpenConfiguredPort();
    if (!port) {
        m_readings.Publish(FailedReading(BlockFault::PortNotOpen, std::chrono::system_clock::now()));
        MessageBox("打开串口错误!");
        return;
    }
    BlockFault fault = BlockFault::None;
    const bool ok = ExchangeTemperatureBlock(port, m_address, false, g_rxBlock, &fault);
    port.Close();
    const auto end = std::chrono::system_clock::now();
    m_readings.Publish(ok ? ReadingFromBlock(g_rxBlock, end) : FailedReading(fault, end));
    if (ok) {
        ShowTemperatures();
    } else {
        MessageBox("返回数据错误!");
    }
}

LRESULT CScannerDlg::OnPollOnce(WPARAM, LPARAM lParam) {
    UpdateData(TRUE);
    CommPort port = OpenConfiguredPort();
    if (!port) {
        if (lParam != 0) *reinterpret_cast<void**>(lParam) = nullptr;
        return 0;
    }
    const bool ok = ExchangeTemperatureBlock(port, m_address, false, g_rxBlock);
    port.Close();
    if (ok) ShowTemperatures();
    return 0;
}

void CScannerDlg::OnContinuousAcquisition() {
    UpdateData(TRUE);
    if (m_periodMs < kMinPeriodMs) {
        MessageBox("最小采集周期600ms");
        m_periodMs = kMinPeriodMs;
        UpdateData(FALSE);
        return;
    }
    if (m_continuousOn == 0) {
        m_continuousOn = 1;
        m_btnContinuous.SetWindowText("取消采集");
        UpdateData(TRUE);
        g_acquiring = 1;
        ++g_acquisitionWorkers;
        AfxBeginThread(AcquisitionThread, new HWND(GetSafeHwnd()));
    } else {
        m_continuousOn = 0;
        g_acquiring = 0;
        m_btnContinuous.SetWindowText("连续采集");
        m_failCountText.clear();
        m_okCountText.clear();
        UpdateData(FALSE);
    }
}

LRESULT CScannerDlg::OnGetPollSettings(WPARAM, LPARAM lParam) {
    UpdateData(TRUE);
    auto* settings = reinterpret_cast<PollSettings*>(lParam);
    settings->baud = BaudFromText(m_baudText);
    settings->port = m_port;
    settings->address = m_address;
    settings->period = m_periodMs;
    return 0;
}

// lParam is the worker's report. The worker waits in its send meanwhile, so the block is copied
// whole before the next exchange overwrites it.
LRESULT CScannerDlg::OnPollResult(WPARAM wParam, LPARAM lParam) {
    const auto& report = *reinterpret_cast<const PollReport*>(lParam);
    if (report.fault == BlockFault::None) {
        g_rxBlock = report.block;
        m_okCountText = Decimal(static_cast<int>(wParam));
        ShowTemperatures();
    } else {
        m_failCountText = Decimal(static_cast<int>(wParam));
    }
    UpdateData(FALSE);
    m_readings.Publish(report.fault == BlockFault::None ? ReadingFromBlock(report.block, report.end)
                                                        : FailedReading(report.fault, report.end));
    return 0;
}

unsigned AcquisitionThread(void* param) {
    // Everything the worker uses is its own, so it may outlive the window and the program's end.
    const std::unique_ptr<HWND> window(static_cast<HWND*>(param));
    struct Ended {
        ~Ended() { --g_acquisitionWorkers; }
    } ended;
    const auto settings = std::make_unique<PollSettings>();
    SendMessage(*window, WM_GET_POLL_SETTINGS, 0, reinterpret_cast<LPARAM>(settings.get()));
    // A window closed before it could answer leaves nothing to read for, or to report to.
    if (!IsWindow(*window)) return 0;

    // The run keeps to the device it opens now: through the COMn link, never a fallback device.
    PortTarget target;
    CommPort port = target.Open(*settings, TimeoutProfile::Polling);
    if (!port) {
        MessageBoxNoOwner("打开串口失败!");
        return 0;
    }

    const auto report = std::make_unique<PollReport>();
    int good = 0;
    int failed = 0;
    while (g_acquiring != 0) {
        // An adapter pulled out is let go of (below) and looked for again before every reading,
        // through the same link: it may come back as another device behind the same COMn.
        if (!port) port = target.Open(*settings, TimeoutProfile::Polling);
        bool ok = false;
        if (port) {
            // The port stays open between readings: drop the late tail of an abandoned reply, or
            // it would be taken for the start of the next one.
            port.Purge();
            ok = ExchangeTemperatureBlock(port, settings->address, true, report->block,
                                          &report->fault);
            // A dead device, unlike a silent module, never answers again on this descriptor.
            if (port.Lost()) port.Close();
        } else {
            report->fault = BlockFault::PortNotOpen;
            LogPortAway();
        }
        report->end = std::chrono::system_clock::now();
        const int count = ok ? ++good : ++failed;
        std::this_thread::sleep_for(std::chrono::milliseconds(settings->period));
        SendMessage(*window, WM_POLL_RESULT, static_cast<WPARAM>(count),
                    reinterpret_cast<LPARAM>(report.get()));
    }
    port.Close();
    g_acquiring = 0;
    return 0;
}
