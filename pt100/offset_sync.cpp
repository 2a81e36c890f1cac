// The offset field and its spin kept in step, each writing the other.
#include <algorithm>

#include "pt100/offset_text.h"
#include "pt100/pt100_dlg.h"

bool g_offsetSyncing = false;

void CPt100Dlg::OnDeltaposSpinOffset(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* step = reinterpret_cast<const NMUPDOWN*>(pNMHDR);
    int lower = 0, upper = 0;
    m_spinOffset.GetRange32(lower, upper);
    // The spin does not wrap: at an end the position stays.
    const int position =
        std::clamp(step->iPos + step->iDelta, std::min(lower, upper), std::max(lower, upper));
    if (!g_offsetSyncing) {
        g_offsetSyncing = true;  // the field's change notice must not move the spin back
        m_editOffset.SetWindowText(OffsetTextForSpin(position));
        g_offsetSyncing = false;
    }
    *pResult = 0;
}

void CPt100Dlg::OnChangeEditOffset() {
    const std::string text = m_editOffset.GetWindowText();
    if (g_offsetSyncing) return;  // written by the spin's own handler
    g_offsetSyncing = true;
    m_spinOffset.SetPos(OffsetSpinPosition(text));
    g_offsetSyncing = false;
}
