// What a screen reader announces, through Qt's own accessibility interfaces: every control of
// every window, named as a sighted user reads it. One row per window; a new dialog is one more.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "console/about_dlg.h"
#include "console/port_map_dlg.h"
#include "pt100/pt100_dlg.h"
#include "sitewin/alarm_history_dlg.h"
#include "sitewin/alarm_limits_dlg.h"
#include "sitewin/alarm_list_dlg.h"
#include "sitewin/alarm_site.h"
#include "tests/console/scanner_fixture.h"
#include "ui/qt/control_widgets.h"
#include "ui/qt/widget_text.h"

namespace {

QAccessibleInterface* Face(QObject* object) { return QAccessible::queryAccessibleInterface(object); }
QString Name(QObject* object) { return Face(object)->text(QAccessible::Name); }

bool IsField(QWidget* w) {
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
           qobject_cast<QAbstractItemView*>(w) || qobject_cast<SpinWidget*>(w);
}
bool IsLabel(QWidget* w) {
    auto* label = qobject_cast<QLabel*>(w);
    return label != nullptr && w->objectName().startsWith("ctl_static_") && !label->text().isEmpty();
}

std::vector<QWidget*> Controls(QWidget* window) {
    std::vector<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->objectName().startsWith("ctl_")) out.push_back(w);
    return out;
}

// The label that a sighted user reads as the field's, from where the widgets stand on screen:
// the nearest control to its left on its row when that is a label, else a label right above its
// left edge.
QLabel* LabelByPosition(QWidget* field, const std::vector<QWidget*>& controls) {
    const QRect f = field->geometry();
    constexpr int kPx = 4;
    QWidget* left = nullptr;
    for (QWidget* w : controls) {
        const QRect r = w->geometry();
        if (w == field || qobject_cast<QGroupBox*>(w) || r.top() > f.bottom() ||
            f.top() > r.bottom() || r.right() > f.left() + kPx) {
            continue;
        }
        if (left == nullptr || r.right() > left->geometry().right()) left = w;
    }
    if (left != nullptr) return IsLabel(left) ? static_cast<QLabel*>(left) : nullptr;
    QWidget* above = nullptr;
    for (QWidget* w : controls) {
        const QRect r = w->geometry();
        if (w == field || qobject_cast<QGroupBox*>(w) || r.bottom() > f.top() + kPx ||
            r.left() > f.left() + kPx || r.right() < f.left() || f.top() - r.bottom() > 30) {
            continue;
        }
        if (above == nullptr || r.bottom() > above->geometry().bottom()) above = w;
    }
    return above != nullptr && IsLabel(above) ? static_cast<QLabel*>(above) : nullptr;
}

QAccessible::Role ExpectedRole(QWidget* w) {
    if (qobject_cast<QRadioButton*>(w)) return QAccessible::RadioButton;
    if (qobject_cast<QCheckBox*>(w)) return QAccessible::CheckBox;
    if (qobject_cast<QPushButton*>(w)) return QAccessible::Button;
    if (qobject_cast<QGroupBox*>(w)) return QAccessible::Grouping;
    if (qobject_cast<QLineEdit*>(w)) return QAccessible::EditableText;
    if (qobject_cast<QComboBox*>(w)) return QAccessible::ComboBox;
    return Face(w)->role();
}

int IdOf(QWidget* w) {
    bool ok = false;
    const int id = w->objectName().mid(4).toInt(&ok);
    return ok ? id : kNoId;
}

// The labels that the control reports to be labelled by.
std::vector<QObject*> LabelledBy(QWidget* w) {
    std::vector<QObject*> labels;
    for (const auto& [face, relation] : Face(w)->relations(QAccessible::Label)) {
        labels.push_back(face->object());
    }
    return labels;
}

// The texts of the items in the combo's list child.
QStringList ListedItems(QComboBox* combo) {
    QAccessibleInterface* face = Face(combo);
    QAccessibleInterface* list = nullptr;
    for (int i = 0; i < face->childCount(); ++i) {
        if (face->child(i)->role() == QAccessible::List) list = face->child(i);
    }
    if (list == nullptr) return {};
    QStringList items;
    for (int i = 0; i < list->childCount(); ++i) items << list->child(i)->text(QAccessible::Name);
    return items;
}

// A combo box: its value is its name (the label then reads "label: value"), the label beside it
// is its labelled-by relation, its list and items are there, and a new selection renames it.
void CheckCombo(QComboBox* combo, QLabel* label) {
    QAccessibleInterface* face = Face(combo);
    EXPECT_EQ(face->role(), QAccessible::ComboBox);
    const QString value = combo->currentText();
    if (!value.isEmpty()) {
        EXPECT_EQ(face->text(QAccessible::Name), value) << "named by its current text";
        EXPECT_EQ(face->text(QAccessible::Value), value);
    } else if (label != nullptr) {
        EXPECT_EQ(face->text(QAccessible::Name), label->text()) << "nothing chosen: its label";
    }
    if (label != nullptr) {
        EXPECT_EQ(LabelledBy(combo), std::vector<QObject*>{label}) << "labelled by the label beside it";
        EXPECT_EQ(label->buddy(), combo);
    }
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    EXPECT_EQ(ListedItems(combo), items) << "its list child holds the items";
    EXPECT_TRUE(combo->objectName().startsWith("ctl_"));
    if (combo->count() < 2) return;
    const int before = combo->currentIndex();
    const int other = before == 0 ? 1 : 0;
    combo->setCurrentIndex(other);
    EXPECT_EQ(face->text(QAccessible::Name), combo->itemText(other)) << "the name follows";
    combo->setCurrentIndex(before);
    EXPECT_EQ(face->text(QAccessible::Name), value);
}

// Walks one window: names, roles, and that a changed caption reaches the name.
void WalkWindow(CDialog& dialog) {
    QWidget* window = uitest::Window(dialog);
    ASSERT_NE(window, nullptr);
    const std::vector<QWidget*> controls = Controls(window);
    ASSERT_FALSE(controls.empty());
    std::set<QString> fieldNames;
    for (QWidget* w : controls) {
        SCOPED_TRACE(w->objectName().toStdString());
        QAccessibleInterface* face = Face(w);
        ASSERT_NE(face, nullptr);
        const QString name = face->text(QAccessible::Name);
        EXPECT_EQ(face->role(), ExpectedRole(w));
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_EQ(name, StripMnemonics(button->text()));
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            EXPECT_FALSE(name.isEmpty()) << "a group box names its group";
            if (!group->title().isEmpty()) {
                EXPECT_EQ(name, group->title());
            }
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->pixmap().isNull()) {
                EXPECT_EQ(name, label->text()) << "a text says what it shows";
            } else {
                EXPECT_FALSE(name.isEmpty());
            }
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            CheckCombo(combo, LabelByPosition(w, controls));
        } else if (IsField(w)) {
            EXPECT_FALSE(name.isEmpty()) << "every field has a name";
            if (QLabel* label = LabelByPosition(w, controls)) {
                EXPECT_EQ(name, label->text()) << "named by the label beside it";
            }
            EXPECT_TRUE(fieldNames.insert(name).second) << "two fields called " << name.toStdString();
        }
    }
    // Captions change and the names follow: a control's own caption, and a label's text for the
    // field it labels.
    for (QWidget* w : controls) {
        SCOPED_TRACE(w->objectName().toStdString());
        const bool captioned = qobject_cast<QAbstractButton*>(w) != nullptr ||
                               (qobject_cast<QLabel*>(w) && static_cast<QLabel*>(w)->pixmap().isNull());
        if (!captioned) continue;
        const QString before = WidgetText(w);
        QWidget* field = IsLabel(w) ? static_cast<QLabel*>(w)->buddy() : nullptr;
        const QString fieldName = field != nullptr ? Name(field) : QString();
        if (CWnd* item = IdOf(w) != kNoId ? dialog.GetDlgItem(IdOf(w)) : nullptr) {
            item->SetWindowText("新文字");
        } else {
            SetWidgetText(w, "新文字");
        }
        EXPECT_EQ(Name(w), "新文字");
        if (field != nullptr && fieldName == before) {
            EXPECT_EQ(Name(field), "新文字");
        }
        SetWidgetText(w, before);
        EXPECT_EQ(Name(w), before);
    }
    // Menus, where a window has them, announce their items' texts.
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        QAccessibleInterface* face = Face(bar);
        for (int i = 0; i < face->childCount(); ++i) {
            QAccessibleInterface* item = face->child(i);
            EXPECT_EQ(item->role(), QAccessible::MenuItem);
            EXPECT_FALSE(item->text(QAccessible::Name).isEmpty());
        }
        for (QAction* action : bar->actions()) {
            if (QMenu* menu = action->menu()) {
                for (QAction* entry : menu->actions()) {
                    if (!entry->isSeparator()) {
                        EXPECT_FALSE(StripMnemonics(entry->text()).isEmpty());
                    }
                }
            }
        }
    }
}

struct WindowRow {
    const char* what;
    std::function<std::unique_ptr<CDialog>()> make;
};

class AccessibilityWalkTest : public testing::TestWithParam<WindowRow> {
protected:
    StartDirectory start;
    uitest::MessageBoxRecorder boxes;
};

TEST_P(AccessibilityWalkTest, EveryControlIsAnnouncedAsASightedUserReadsIt) {
    std::unique_ptr<CDialog> dialog = GetParam().make();
    ASSERT_TRUE(dialog->Create());
    WalkWindow(*dialog);
    dialog->DestroyWindow();
    uitest::FlushDeferredDeletes();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, AccessibilityWalkTest,
    testing::Values(WindowRow{"main", [] { return std::make_unique<CScannerDlg>(); }},
                    WindowRow{"pt100", [] { return std::make_unique<CPt100Dlg>(); }},
                    WindowRow{"about", [] { return std::make_unique<CAboutDlg>(); }},
                    WindowRow{"port_map", [] { return std::make_unique<CPortMapDlg>(); }},
                    WindowRow{"site", [] { return std::make_unique<CSiteDlg>("", nullptr); }},
                    WindowRow{"alarm_list",
                              [] {
                                  static CSiteDlg site("", nullptr);
                                  return std::make_unique<CAlarmListDlg>(site.Alarms());
                              }},
                    WindowRow{"alarm_history",
                              [] { return std::make_unique<CAlarmHistoryDlg>("没有-报警.csv"); }},
                    WindowRow{"alarm_limits",
                              [] { return std::make_unique<CAlarmLimitsDlg>("1号仓 温度1", AlarmLimitKeys{}, "现行: 上限 30"); }}),
    [](const testing::TestParamInfo<WindowRow>& info) { return std::string(info.param.what); });

// The faults that were heard: fields named after the label before them in template order,
// counters without their numbers, SN bytes without names, a caption that did not reach the name.
using AnnouncedNamesTest = ScannerWindowTest;

TEST_F(AnnouncedNamesTest, MainWindowCountersSnBytesAndTheRunningCaption) {
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_PORT), "串口号:");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_SN_BYTE1), "SN号:");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_SN_BYTE2), "SN号第2字节");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_SN_BYTE8), "SN号第8字节");
    dlg.m_okCountText = "5";
    dlg.m_failCountText = "2";
    dlg.UpdateData(FALSE);
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_OK_COUNT), "5");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_FAIL_COUNT), "2");
    dlg.m_btnContinuous.SetWindowText("取消采集");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_CONTINUOUS_ACQUISITION), "取消采集");
}

TEST(Pt100AnnouncedNamesTest, FieldsAreNamedByTheLabelBesideThem) {
    CPt100Dlg pt100;
    ASSERT_TRUE(pt100.Create());
    EXPECT_EQ(uitest::AccessibleName(pt100, IDC_PT100_ZERO_AD), "电路零位AD值");
    EXPECT_EQ(uitest::AccessibleName(pt100, IDC_PT100_OFFSET), "温度偏移量(℃)");
    EXPECT_EQ(uitest::AccessibleName(pt100, IDC_PT100_RES1_AD), "电阻1的标定AD值");
    EXPECT_EQ(uitest::AccessibleName(pt100, IDC_PT100_RES2_AD), "电阻2的标定AD值");
    EXPECT_EQ(uitest::AccessibleName(pt100, IDC_PT100_TEMP2), "温度2");
    EXPECT_EQ(uitest::AccessibleName(pt100, IDC_PT100_LOG), "日志");
    pt100.DestroyWindow();
    uitest::FlushDeferredDeletes();
}

// Orca read the two combos as "波特率:" and "通道" without their values. Now: "label: value",
// also after the user picks another entry with the keyboard (Qt's combo interface then sends the
// value change, which the Linux bridge passes on as a change of name).
struct ComboRow {
    const char* what;
    std::function<std::unique_ptr<CDialog>()> make;
    int id;
    const char* label;
    const char* value;
    const char* next;
};

class ComboAnnouncedTest : public testing::TestWithParam<ComboRow> {
protected:
    StartDirectory start;
    uitest::MessageBoxRecorder boxes;
};

TEST_P(ComboAnnouncedTest, ReadAsLabelAndValueAlsoAfterAKeyboardSelection) {
    const ComboRow& row = GetParam();
    std::unique_ptr<CDialog> dialog = row.make();
    ASSERT_TRUE(dialog->Create());
    auto* combo = qobject_cast<QComboBox*>(uitest::Control(*dialog, row.id));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(uitest::AccessibleName(*dialog, row.id), row.value);
    const std::vector<QObject*> labels = LabelledBy(combo);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(Face(labels[0])->text(QAccessible::Name), row.label);

    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(uitest::AccessibleName(*dialog, row.id), row.next);
    EXPECT_EQ(Face(combo)->text(QAccessible::Value), row.next);
    EXPECT_EQ(Face(combo)->role(), QAccessible::ComboBox);
    dialog->DestroyWindow();
    uitest::FlushDeferredDeletes();
}

INSTANTIATE_TEST_SUITE_P(
    Combos, ComboAnnouncedTest,
    testing::Values(
        ComboRow{"baud", [] { return std::make_unique<CScannerDlg>(); }, IDC_BAUD, "波特率:", "9600",
                 "19200"},
        ComboRow{"pt100_channel", [] { return std::make_unique<CPt100Dlg>(); }, IDC_PT100_CHANNEL,
                 "通道", "1", "2"}),
    [](const testing::TestParamInfo<ComboRow>& info) { return std::string(info.param.what); });

}  // namespace
