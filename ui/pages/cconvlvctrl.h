// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QListView>

class ConvertListModel;
class Preferences;

// The convert list: one column, no header, single selection, each line in the colour of its
// status (collision before duplicate before file type), a selected line in the complement of
// that colour on the highlight, both as they read there (LineColourTable::drawn). The current
// row is framed while the list has the focus; the first Down selects the first row.
class CConvLvCtrl : public QListView
{
    Q_OBJECT

public:
    explicit CConvLvCtrl(QWidget *parent = nullptr);

    // Connects the view to the list and to the colours it draws with; called once at page start.
    void attach(ConvertListModel &model, const Preferences &preferences);

    // The selected row, or -1.
    int selectedRow() const;
    // Selects the row alone with the focus on it and brings it into view (-1: clears).
    void selectRow(int row);
    void clearSelectionAndFocus();
    // The row a run converts, drawn as the selected one alone and brought into view, while the
    // selection and the current row stay as they were: a screen reader is not sent from file
    // to file. -1 ends it.
    void showRunRow(int row);
    int runRow() const { return m_runRow; }

Q_SIGNALS:
    void deleteRequested(int row);
    // A row became selected and current: its preview is due. May come twice for one change.
    void rowActivated(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private:
    int m_runRow = -1;
};
