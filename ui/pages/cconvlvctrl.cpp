// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "pages/cconvlvctrl.h"

#include "convert/convertlistmodel.h"
#include "prefs/preferences.h"
#include "widgets/listfocus.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

class StatusColourDelegate : public QStyledItemDelegate
{
public:
    StatusColourDelegate(const Preferences &preferences, CConvLvCtrl &view)
        : QStyledItemDelegate(&view)
        , m_preferences(preferences)
        , m_view(view)
    {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const auto status = LineStatus(index.data(ConvertListModel::DrawnStatusRole).toInt());
        const ColourRef colour = m_preferences.colour(status);
        const bool selected = m_view.runRow() < 0 ? bool(option.state & QStyle::State_Selected)
                                                  : index.row() == m_view.runRow();
        // A run disables the list, which still shows the picture being converted as before.
        const QPalette::ColorGroup group = option.state & QStyle::State_Enabled
                                               ? option.palette.currentColorGroup()
                                               : QPalette::Active;
        const QColor background =
            option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        const QColor pen =
            LineColourTable::drawn(selected ? complementColour(colour) : colour, background);
        painter->fillRect(option.rect, background);
        painter->save();
        painter->setPen(pen);
        painter->setFont(option.font);
        const QRect textRect = option.rect.adjusted(3, 0, -3, 0);
        const QString text = index.data(Qt::DisplayRole).toString();
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
        painter->restore();
        if (ListFocus::framed(m_view, index.row()))
            ListFocus::draw(*painter, option.rect, option.rect, pen);
    }

private:
    const Preferences &m_preferences;
    const CConvLvCtrl &m_view;
};

} // namespace

CConvLvCtrl::CConvLvCtrl(QWidget *parent)
    : QListView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
}

void CConvLvCtrl::attach(ConvertListModel &model, const Preferences &preferences)
{
    setModel(&model);
    setItemDelegate(new StatusColourDelegate(preferences, *this));
}

int CConvLvCtrl::selectedRow() const
{
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CConvLvCtrl::selectRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount()) {
        clearSelectionAndFocus();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void CConvLvCtrl::showRunRow(int row)
{
    m_runRow = model() && row < model()->rowCount() ? row : -1;
    if (m_runRow >= 0)
        scrollTo(model()->index(m_runRow, 0));
    viewport()->update();
}

void CConvLvCtrl::clearSelectionAndFocus()
{
    if (selectionModel()) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void CConvLvCtrl::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete) {
        const int row = selectedRow();
        if (row >= 0)
            Q_EMIT deleteRequested(row);
        return;
    }
    if (ListFocus::selectsCurrentRow(*this, *event))
        return;
    QListView::keyPressEvent(event);
}

void CConvLvCtrl::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QListView::currentChanged(current, previous);
    if (current.isValid() && selectionModel()->isSelected(current))
        Q_EMIT rowActivated(current.row());
}

void CConvLvCtrl::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListView::selectionChanged(selected, deselected);
    const QModelIndex current = currentIndex();
    if (current.isValid() && selected.contains(current))
        Q_EMIT rowActivated(current.row());
}
