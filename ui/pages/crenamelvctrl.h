// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QPixmap>
#include <QTableView>
#include <QTimer>

class Preferences;
class RenameListModel;

// The rename list: current and new names and the date taken, a conflicting new name in red, a
// header whose name and date columns sort the rows, Delete to take a row out, and rows reordered
// by dragging (the row order is the numbering order). From the keyboard, Alt+Up and Alt+Down
// move the selected row, and Alt+S and Alt+D sort as a click on the name or date header does;
// the first Down selects the first row; Tab leaves the list. It reorders the rows only by
// asking: the signals below go to the page's session, which numbers the rows again.
class CRenameLvCtrl : public QTableView
{
    Q_OBJECT

public:
    explicit CRenameLvCtrl(QWidget *parent = nullptr);

    // Connects the view to the rows and the colours it draws with; called once at page start.
    void attach(RenameListModel &model, const Preferences &preferences);

    int selectedRow() const;
    bool isDragging() const { return !m_dragText.isEmpty(); }

    // The date column as wide as a date; of the rest, the current names half, the new names half
    // less a scroll bar, as after a scan.
    void fitColumns();
    // The columns whose header sorts the rows.
    static bool sorts(int column);

    // The pointer shown while a file is dragged: its name, in the list's text colour (it is drawn
    // over the list), on a rounded, shaded label.
    static QPixmap dragPixmap(const QString &text, const QFont &font, const QColor &textColour);

Q_SIGNALS:
    // A click on a header that sorts, or its key.
    void sortRequested(int column);
    // Alt+Up (-1) or Alt+Down (1) on the selected row.
    void moveRequested(int row, int step);
    // A drag: begun, the dragged row at each step of the pointer, released.
    void dragStarted();
    void rowDragged(int from, int to);
    void dropped();
    // Delete on the selected row.
    void removeRequested(int row);
    // A row became selected and current: its preview is due.
    void rowActivated(int row);
    void selectionMoved();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private:
    // The name columns half the width left by the date column, less one pixel, as at set-up.
    void splitColumns();
    int dateColumnWidth() const;
    void requestSort(int section);
    void beginDrag(int row);
    void dragStep();
    void drop();

    RenameListModel *m_model = nullptr;
    QTimer m_dragTimer;
    QString m_dragText;
    int m_draggedRow = -1;
    int m_pressedRow = -1;
    QPoint m_pressPosition;
    QPoint m_pointer; // in the viewport, updated while dragging
};
