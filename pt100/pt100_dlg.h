#pragma once
// The PT100 dialog: one input's parameters, calibrations and offset, the four PT100 temperatures,
// and the log of every frame exchanged while it is open.
#include <cstdint>
#include <memory>

#include "link/frame.h"
#include "link/module_commands.h"
#include "ui/afxwin.h"

class CPt100Dlg : public CDialog {
public:
    CPt100Dlg();
    ~CPt100Dlg() override;

    // Members, in declaration order; every value lives in the controls.
    CSpinButtonCtrl m_spinOffset;
    CListBox m_listLog;
    CEdit m_editTemp4;
    CEdit m_editTemp3;
    CEdit m_editTemp2;
    CEdit m_editTemp1;
    CEdit m_editRes2Ad;
    CEdit m_editRes1Ad;
    CEdit m_editOffset;
    CEdit m_editZeroAd;
    CComboBox m_comboChannel;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // Message-map handlers.
    void OnReadParams();
    void OnCalibrateZero();
    void OnCalibrateRes1();
    void OnCalibrateRes2();
    void OnSetOffset();
    void OnReadTemps();
    void OnClearLog();
    void OnSaveLog();
    void OnDeltaposSpinOffset(NMHDR* pNMHDR, LRESULT* pResult);
    void OnChangeEditOffset();

protected:
    const MessageMap& GetMessageMap() const override;

private:
    void Calibrate(std::uint8_t type);
    // The chosen channel's index 0..3, or -1 (after a message) when no channel is chosen.
    int ChannelIndex();
    // One command through the main window: the reply bytes that arrived (empty when the port
    // did not open or no reply came), and its status for ReplyUsable.
    ReplyBytes Transact(const CommandRequest& request, int& status);
    std::unique_ptr<ReplyBlock> reply_;  // the last command's reply
};

// True only while one offset coupling handler writes into the other control.
extern bool g_offsetSyncing;
