// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "pages/crenamelvctrl.h"

#include "prefs/colourcontrast.h"
#include "prefs/preferences.h"
#include "rename/renamelistmodel.h"
#include "strings/stringtable.h"
#include "util/pathutil.h"
#include "widgets/listfocus.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int DragStepMilliseconds = 100;
constexpr ColourRef PureRed = 0x0000FF;

// Draws the header itself: the columns that sort light up under the pointer, and the one the
// rows are sorted by carries the sort glyph 50 pixels in; a one-pixel line closes the first.
class RenameHeader : public QHeaderView
{
public:
    explicit RenameHeader(QWidget *parent)
        : QHeaderView(Qt::Horizontal, parent)
    {
        setMouseTracking(true);
        setSectionsClickable(true);
        setHighlightSections(false);
        setSectionResizeMode(QHeaderView::Interactive);
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int section) const override
    {
        const QPalette &colours = palette();
        const QPoint pointer = mapFromGlobal(QCursor::pos());
        const bool hot = CRenameLvCtrl::sorts(section) && underMouse() && rect.contains(pointer);
        painter->save();
        const QColor background = colours.color(hot ? QPalette::Highlight : QPalette::Button);
        painter->fillRect(rect, background);
        painter->setPen(LineColourTable::drawn(
            toColourRef(colours.color(hot ? QPalette::HighlightedText : QPalette::WindowText)),
            background));
        QRect textRect = rect;
        if (section == 0) {
            painter->save();
            painter->setPen(colours.color(QPalette::Disabled, QPalette::Text));
            painter->drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
            painter->restore();
        }
        if (CRenameLvCtrl::sorts(section)) {
            textRect.setLeft(rect.left() + 50);
            painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop, glyph(section));
        }
        painter->drawText(textRect, Qt::AlignHCenter | Qt::AlignBottom,
                          model()->headerData(section, Qt::Horizontal).toString());
        painter->restore();
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        QHeaderView::mouseMoveEvent(event);
        viewport()->update();
    }
    void leaveEvent(QEvent *event) override
    {
        QHeaderView::leaveEvent(event);
        viewport()->update();
    }

private:
    QString glyph(int section) const
    {
        const auto *rows = qobject_cast<const RenameListModel *>(model());
        if (!rows || rows->sortColumn() != section)
            return u" "_s;
        switch (rows->sortOrder()) {
        case RenameListModel::SortOrder::Ascending:
            return QString(QChar(0x02C4));
        case RenameListModel::SortOrder::Descending:
            return QString(QChar(0x02C5));
        case RenameListModel::SortOrder::None:
            break;
        }
        return u" "_s;
    }
};

// A conflicting new name in pure red, whatever the colour table says, so it stands out in every
// scheme; the focused row shows its current name on the highlight. Every text as it reads on its
// cell (LineColourTable::drawn). A file's own date, shown where the picture tells none, is greyed
// and in italics, still readable. The current row is framed while the list has the focus.
class RenameCellDelegate : public QStyledItemDelegate
{
public:
    RenameCellDelegate(const Preferences &preferences, QAbstractItemView *view)
        : QStyledItemDelegate(view)
        , m_preferences(preferences)
        , m_view(view)
    {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const bool focused =
            (option.state & QStyle::State_Selected) && m_view->currentIndex().row() == index.row();
        const bool conflict = index.data(RenameListModel::ConflictRole).toBool();
        const bool newNameColumn = index.column() == RenameListModel::NewNameColumn;
        ColourRef text = m_preferences.colour(Standard);
        if (newNameColumn && conflict)
            text = focused ? m_preferences.colour(OtherError) : PureRed;
        const QColor background = focused && index.column() == RenameListModel::CurrentNameColumn
                                      ? option.palette.color(QPalette::Highlight)
                                      : option.palette.color(QPalette::Base);
        QColor pen = LineColourTable::drawn(text, background);
        QFont font = option.font;
        if (index.column() == RenameListModel::DateTakenColumn &&
            index.data(RenameListModel::FileDateOnlyRole).toBool()) {
            // The placeholder grey is often the text colour made translucent: as it shows here.
            const QColor grey = option.palette.color(QPalette::PlaceholderText);
            const float alpha = grey.alphaF();
            const auto over = [alpha](float top, float below) {
                return top * alpha + below * (1 - alpha);
            };
            pen =
                ColourContrast::readable(QColor::fromRgbF(over(grey.redF(), background.redF()),
                                                          over(grey.greenF(), background.greenF()),
                                                          over(grey.blueF(), background.blueF())),
                                         {background});
            font.setItalic(true);
        }
        painter->save();
        painter->fillRect(option.rect, background);
        painter->setPen(pen);
        painter->setFont(font);
        const QRect textRect = option.rect.adjusted(3, 0, -3, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight,
                                                        textRect.width()));
        painter->restore();
        if (ListFocus::framed(*m_view, index.row())) {
            const QAbstractItemModel &model = *index.model();
            const QRect first = m_view->visualRect(model.index(index.row(), 0));
            const QRect last =
                m_view->visualRect(model.index(index.row(), model.columnCount() - 1));
            ListFocus::draw(*painter, first.united(last), option.rect, pen);
        }
    }

private:
    const Preferences &m_preferences;
    QAbstractItemView *m_view;
};

} // namespace

CRenameLvCtrl::CRenameLvCtrl(QWidget *parent)
    : QTableView(parent)
{
    setHorizontalHeader(new RenameHeader(this));
    verticalHeader()->hide();
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab leaves the list for the page's other controls.
    setTabKeyNavigation(false);
    setToolTip(loadString(RenameListKeys));
    // A reader says it with the list; a tooltip it may never show.
    setAccessibleDescription(loadString(RenameListKeys));
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_dragTimer.setInterval(DragStepMilliseconds);
    connect(&m_dragTimer, &QTimer::timeout, this, &CRenameLvCtrl::dragStep);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CRenameLvCtrl::requestSort);
}

void CRenameLvCtrl::attach(RenameListModel &model, const Preferences &preferences)
{
    m_model = &model;
    setModel(&model);
    setItemDelegate(new RenameCellDelegate(preferences, this));
    splitColumns();
}

bool CRenameLvCtrl::sorts(int column)
{
    return column == RenameListModel::CurrentNameColumn ||
           column == RenameListModel::DateTakenColumn;
}

int CRenameLvCtrl::dateColumnWidth() const
{
    return fontMetrics().horizontalAdvance(u" 0000-00-00 00:00:00.000 "_s);
}

void CRenameLvCtrl::splitColumns()
{
    const int dates = dateColumnWidth();
    const int half = (viewport()->width() - dates) / 2 - 1;
    setColumnWidth(RenameListModel::CurrentNameColumn, half);
    setColumnWidth(RenameListModel::NewNameColumn, half);
    setColumnWidth(RenameListModel::DateTakenColumn, dates);
}

void CRenameLvCtrl::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    // The window grows with a large desktop font after the page was set up.
    if (m_model && event->size().width() != event->oldSize().width())
        splitColumns();
}

int CRenameLvCtrl::selectedRow() const
{
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CRenameLvCtrl::fitColumns()
{
    const int dates = dateColumnWidth();
    const int half = (width() - dates) / 2;
    setColumnWidth(RenameListModel::CurrentNameColumn, half);
    setColumnWidth(RenameListModel::NewNameColumn,
                   half - style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 2 * frameWidth());
    setColumnWidth(RenameListModel::DateTakenColumn, dates);
}

void CRenameLvCtrl::requestSort(int section)
{
    if (sorts(section) && m_model && !isDragging())
        Q_EMIT sortRequested(section);
}

void CRenameLvCtrl::keyPressEvent(QKeyEvent *event)
{
    // The keyboard's way to order the rows: Alt+Up and Alt+Down move, Alt+S sorts.
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier) {
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (selectedRow() >= 0 && !isDragging())
                Q_EMIT moveRequested(selectedRow(), event->key() == Qt::Key_Up ? -1 : 1);
            return;
        case Qt::Key_S:
            requestSort(RenameListModel::CurrentNameColumn);
            return;
        case Qt::Key_D:
            requestSort(RenameListModel::DateTakenColumn);
            return;
        default:
            break;
        }
    }
    if (event->key() == Qt::Key_Delete) {
        if (selectedRow() >= 0)
            Q_EMIT removeRequested(selectedRow());
        return;
    }
    if (ListFocus::selectsCurrentRow(*this, *event))
        return;
    QTableView::keyPressEvent(event);
}

void CRenameLvCtrl::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    m_pressedRow = event->button() == Qt::LeftButton ? rowAt(event->position().toPoint().y()) : -1;
    m_pressPosition = event->position().toPoint();
}

void CRenameLvCtrl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    if (isDragging()) {
        m_pointer = position;
        return;
    }
    if (m_pressedRow >= 0 && (event->buttons() & Qt::LeftButton) &&
        (position - m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        m_pointer = position;
        beginDrag(m_pressedRow);
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void CRenameLvCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressedRow = -1;
    if (isDragging() && event->button() == Qt::LeftButton)
        drop();
    QTableView::mouseReleaseEvent(event);
}

void CRenameLvCtrl::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid() && selectionModel()->isRowSelected(current.row()))
        Q_EMIT rowActivated(current.row());
    Q_EMIT selectionMoved();
}

void CRenameLvCtrl::selectionChanged(const QItemSelection &selected,
                                     const QItemSelection &deselected)
{
    QTableView::selectionChanged(selected, deselected);
    const QModelIndex current = currentIndex();
    if (current.isValid() && selected.contains(current))
        Q_EMIT rowActivated(current.row());
    Q_EMIT selectionMoved();
}

void CRenameLvCtrl::beginDrag(int row)
{
    m_draggedRow = row;
    m_dragText = PathUtil::displayName(m_model->currentName(row));
    selectionModel()->clear();
    Q_EMIT dragStarted();
    QFont bold = QApplication::font("QMessageBox");
    bold.setBold(true);
    QApplication::setOverrideCursor(
        QCursor(dragPixmap(m_dragText, bold, palette().color(QPalette::Text))));
    viewport()->grabMouse();
    m_dragTimer.start();
}

void CRenameLvCtrl::dragStep()
{
    if (!isDragging() || m_model->count() == 0)
        return;
    const int h = std::max(1, rowHeight(0));
    const int height = viewport()->height();
    const int visible = height / h;
    const int top = std::max(0, rowAt(0));
    const int y = m_pointer.y();

    // Within half a row of either edge of the rows, or beyond it, the list scrolls one row.
    if (y < h / 2 && top >= 1)
        scrollTo(m_model->index(top - 1, 0), QAbstractItemView::PositionAtTop);
    else if (y > height - h / 2 && top + visible < m_model->count())
        scrollTo(m_model->index(top + visible, 0), QAbstractItemView::EnsureVisible);

    // The header counts as the first visible row.
    const int target = y < 0 ? top : top + y / h;
    const QRect area = viewport()->rect().adjusted(0, -horizontalHeader()->height(), 0, 0);
    if (area.contains(m_pointer) && target < m_model->count() && target != m_draggedRow) {
        selectionModel()->clearSelection();
        Q_EMIT rowDragged(m_draggedRow, target);
        m_draggedRow = target;
    }
}

void CRenameLvCtrl::drop()
{
    m_dragText.clear();
    QApplication::restoreOverrideCursor();
    m_dragTimer.stop();
    viewport()->releaseMouse();
    Q_EMIT dropped();
    selectionModel()->clearSelection();
}

QPixmap CRenameLvCtrl::dragPixmap(const QString &text, const QFont &font, const QColor &textColour)
{
    const QFontMetricsF metrics(font);
    const qreal w = metrics.horizontalAdvance(text);
    const qreal t = metrics.height();
    const qreal width = w * 1.1;
    const qreal height = t * 1.6;
    QPixmap pixmap(std::max(1, int(width)), std::max(1, int(height)));
    pixmap.fill(Qt::transparent);

    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const qreal d = std::min({5.0, width, height});
    QPainterPath label;
    label.arcMoveTo(0, 0, d, d, 180);
    label.arcTo(0, 0, d, d, 180, -90);
    label.arcTo(width - d - 1, 0, d, d, 90, -90);
    label.arcTo(width - d - 1, height - d - 1, d, d, 0, -90);
    label.arcTo(0, height - d - 1, d, d, 270, -90);
    label.closeSubpath();
    QRadialGradient shade(QPointF(width / 2, height / 2), std::max(width, height) / 2);
    shade.setColorAt(0, QColor(0xC0, 0xC0, 0xC0, 0x80));
    shade.setColorAt(1, QColor(0xE0, 0xE0, 0xE0, 0x08));
    painter.fillPath(label, shade);
    painter.setFont(font);
    painter.setPen(textColour);
    painter.drawText(QPointF(0.05 * width, 0.2 * t + metrics.ascent()), text);
    return pixmap;
}
