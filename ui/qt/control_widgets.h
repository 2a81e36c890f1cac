#pragma once
// Qt widgets that behave like the framework's controls where plain Qt widgets differ. Private to
// the layer.
#include <functional>

#include <QComboBox>
#include <QHash>
#include <QList>
#include <QListWidget>
#include <QPoint>
#include <QPointer>
#include <QTableWidget>
#include <QValidator>
#include <QWidget>

#include "ui/types.h"

class QToolButton;

// An edit that turns typed and pasted letters to upper case.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Combo box: a drop-down list, or with an editable field. Once the user types in the field, the
// current selection is gone (GetCurSel -1) until an item is selected again.
class ComboWidget : public QComboBox {
    Q_OBJECT
public:
    ComboWidget(bool editable, QWidget* parent);
    int CurSel() const;
    int SetCurSel(int index);
    // Case-insensitive prefix search after startAfter (-1: from the top), wrapping round.
    int FindPrefix(int startAfter, const QString& prefix) const;

signals:
    void UserSelChange();
    void UserEditChange();

private:
    bool typed_ = false;
};

// Report-style list view.
class ListViewWidget : public QTableWidget {
    Q_OBJECT
public:
    // Where an item keeps the check state last announced.
    static constexpr int kLastCheckRole = Qt::UserRole + 7;

    explicit ListViewWidget(QWidget* parent);
    unsigned ExtendedStyle() const { return extendedStyle_; }
    int ColumnFormat(int column) const { return formats_.value(column, LVCFMT_LEFT); }
    void SetColumnFormat(int column, int format) { formats_[column] = format; }
    void SetExtendedStyle(unsigned style);
    // The first column's text is edited in place (F2, a double click, a click on the chosen
    // row); the handler gets the row and the new text and keeps it by returning true.
    using LabelEditHandler = std::function<bool(int row, const QString& text)>;
    void EnableLabelEditing(LabelEditHandler handler);
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
    // A cell's new text. A cell of readings changes at every reading: past the first column
    // (check boxes, edited labels) the model's change signal, whose only listener is this
    // view, is left out and the view is told directly; a signal costs more than the change.
    void SetCellText(int row, int column, const QString& text);
signals:
    // A row's check box changed, by the user or by the program.
    void CheckChanged(int row, bool checked);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void commitData(QWidget* editor) override;
    // A cell that changed (its text, check box or swatch) is not repainted at once: the changed
    // cells in view are repainted as one region when the event loop next turns. A list of
    // readings changes hundreds of cells a second, and the view's own repaint of each costs
    // more than the change.
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;
    // The grid lines are drawn here, where they lie in the repainted region: the table's own
    // grid strokes a line along every row and column of each repainted rectangle, also where
    // the region's clip leaves nothing of it (a changed cell's rectangle ends short of its
    // lines), and such a stroke costs more than the cell's text.
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintGrid(const QRegion& region);
    // Announces the row's check box if it changed since it was last announced.
    void AnnounceCheck(int row);
    // One cell changed: announced to a screen reader, repainted with the others changed.
    void CellChanged(int row, int column);
    void RepaintChangedCells();

    unsigned extendedStyle_ = 0;
    // Cells whose text changed since the last repaint (x column, y row), in the order set.
    QList<QPoint> changedCells_;
    bool repaintDue_ = false;
    LabelEditHandler onLabelEdit_;
    int editedRow_ = -1;
    QHash<int, int> formats_;
};

// Unsorted list box that scrolls by whole lines, so the top index is the scroll position.
class ListBoxWidget : public QListWidget {
    Q_OBJECT
public:
    explicit ListBoxWidget(QWidget* parent);
    int TopIndex();
    int SetTopIndex(int index);
};

// Up-down control: two arrows, a range, a position. Each step is announced (UDN_DELTAPOS) before
// it is taken; the announcement may veto it. No wrap-around.
class SpinWidget : public QWidget {
    Q_OBJECT
public:
    // Returns the handler's result: non-zero vetoes the step. May change iDelta.
    using DeltaPosHandler = std::function<LRESULT(NMUPDOWN&)>;

    SpinWidget(int id, bool arrowKeys, QWidget* parent);
    void SetDeltaPosHandler(DeltaPosHandler handler) { onDeltaPos_ = std::move(handler); }
    // The buddy shows the position as a decimal number and is read back before each step.
    void SetBuddy(QWidget* buddy, bool setBuddyInt);
    QWidget* Buddy() const { return buddy_; }

    void SetRange(int lower, int upper);
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    int SetPos(int pos);  // returns the previous position; no notification
    int Pos() const;
    // One step towards the upper end (up) or the lower end.
    void Step(bool up);

    QToolButton* UpArrow() const { return up_; }
    QToolButton* DownArrow() const { return down_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Clamp(int value) const;
    void ShowInBuddy();

    int id_;
    bool arrowKeys_;
    // The control's default range runs from 100 down to 0, as on the platform.
    int lower_ = 100;
    int upper_ = 0;
    int pos_ = 0;
    QToolButton* up_;
    QToolButton* down_;
    QPointer<QWidget> buddy_;
    bool setBuddyInt_ = false;
    DeltaPosHandler onDeltaPos_;
};
