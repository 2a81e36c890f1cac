// Channel names edited in place in the site window's channel table and saved to the site file.
#include "record/readings_csv.h"
#include "sitewin/site_dlg.h"

// The table hands over the new text; the table shows what the site file holds afterwards (written
// here, so the table's own text is refused). Text equal to the channel's label, or none, takes
// the name away.
void CSiteDlg::OnChannelNameEdited(NMHDR* header, LRESULT* result) {
    *result = FALSE;
    const auto* edit = reinterpret_cast<const NMLVDISPINFO*>(header);
    if (edit->item.pszText == nullptr) return;  // cancelled
    const int channel = edit->item.iItem;
    if (channel < 0 || channel >= kReadingChannels) return;
    std::string name = edit->item.pszText;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!name.empty() && blank(name.back())) name.pop_back();
    while (!name.empty() && blank(name.front())) name.erase(0, 1);
    if (name == ChannelLabel(channel)) name.clear();
    SaveChannelName(channel, name);
}

bool CSiteDlg::SaveChannelName(int channel, const std::string& name) {
    const int module = ChosenModule();
    if (module < 0) return false;
    const ModuleState& state = modules_[static_cast<std::size_t>(module)];
    const int address = state.module->address;
    const int bus = state.bus;
    // The window's modules point into file_, which is read afresh by the change, so they are
    // taken again after it with what they have counted.
    const std::vector<ModuleState> kept = modules_;
    const SiteFile before = file_;
    std::string error;
    if (!file_.SetChannelName(bus - 1, address, channel, name)) return false;
    const bool saved = file_.Save(path_, error);
    if (!saved) file_ = before;  // the window shows what the file holds
    ShowSite();
    for (std::size_t row = 0; row < modules_.size() && row < kept.size(); ++row) {
        modules_[row].last = kept[row].last;
        modules_[row].seen = kept[row].seen;
        modules_[row].good = kept[row].good;
        modules_[row].failed = kept[row].failed;
        ShowModuleRow(static_cast<int>(row));
    }
    m_comboModule.SetCurSel(module);
    ShowChannels();
    if (!saved) MessageBox(error);
    return saved;
}
