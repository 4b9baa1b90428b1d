// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/layoutscale.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>

#include <algorithm>
#include <cmath>

namespace {

constexpr char ReservedTexts[] = "pelorinReservedTexts";

// By how much the size must grow for the text to fit.
double growthFor(QSize needs, QSize size)
{
    double growth = 1.0;
    if (needs.width() > 0 && size.width() > 0)
        growth = std::max(growth, double(needs.width()) / size.width());
    if (needs.height() > 0 && size.height() > 0)
        growth = std::max(growth, double(needs.height()) / size.height());
    return growth;
}

// A word-wrapped label: the least growth at which every text, wrapped at the grown width,
// fits the grown height. The edges (frame, margins) stay as they are.
double wrappedLabelGrowth(const QLabel &label, const QStringList &texts, QSize edges)
{
    const QFontMetrics metrics = label.fontMetrics();
    constexpr double Most = 4.0;
    for (double growth = 1.0; growth < Most; growth += 1.0 / 64) {
        const QSize area = QSize(int(label.width() * growth), int(label.height() * growth)) - edges;
        if (std::all_of(texts.begin(), texts.end(), [&](const QString &text) {
                const QRect wrapped =
                    metrics.boundingRect(QRect(QPoint(), area), Qt::TextWordWrap, text);
                return wrapped.width() <= area.width() && wrapped.height() <= area.height();
            }))
            return growth;
    }
    return Most;
}

// By how much the child must grow to show its text whole; 1 when it has none to fit.
double growth(const QWidget &child)
{
    if (const auto *label = qobject_cast<const QLabel *>(&child)) {
        QStringList texts = label->property(ReservedTexts).toStringList();
        texts.append(label->text());
        const QSize edges = label->size() - label->contentsRect().size() +
                            QSize(2 * label->margin(), 2 * label->margin());
        if (label->wordWrap())
            return wrappedLabelGrowth(*label, texts, edges);
        QSize needs;
        for (const QString &text : texts)
            needs = needs.expandedTo(label->fontMetrics().size(0, text) + edges);
        return growthFor(needs, label->size());
    }
    if (qobject_cast<const QCheckBox *>(&child) || qobject_cast<const QRadioButton *>(&child)) {
        // The hint's height holds a margin that clips nothing.
        const int indicator = child.style()->pixelMetric(qobject_cast<const QCheckBox *>(&child)
                                                             ? QStyle::PM_IndicatorHeight
                                                             : QStyle::PM_ExclusiveIndicatorHeight,
                                                         nullptr, &child);
        return growthFor(
            {child.sizeHint().width(), std::max(indicator, child.fontMetrics().height())},
            child.size());
    }
    if (const auto *button = qobject_cast<const QPushButton *>(&child)) {
        if (button->text().isEmpty())
            return 1.0;
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect contents =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        return growthFor(button->size() - contents.size() +
                             button->fontMetrics().size(Qt::TextShowMnemonic, button->text()),
                         button->size());
    }
    if (const auto *group = qobject_cast<const QGroupBox *>(&child)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, group);
        return growthFor({title.right() + 1 + title.left(), title.bottom() + 1}, group->size());
    }
    if (qobject_cast<const QTabBar *>(&child) || qobject_cast<const QAbstractSpinBox *>(&child))
        return growthFor(child.sizeHint(), child.size());
    // Edits and drop-down boxes scroll or cut their text sideways; only the height must fit.
    if (qobject_cast<const QLineEdit *>(&child) || qobject_cast<const QComboBox *>(&child))
        return growthFor({0, child.sizeHint().height()}, child.size());
    return 1.0;
}

} // namespace

double LayoutScale::needed(const QList<const QWidget *> &parents)
{
    double factor = 1.0;
    for (const QWidget *parent : parents) {
        for (const QWidget *child :
             parent->findChildren<const QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow() || (parent->layout() && parent->layout()->indexOf(child) >= 0))
                continue;
            factor = std::max(factor, growth(*child));
            // A group's controls are its children, placed like the page's.
            if (qobject_cast<const QGroupBox *>(child))
                factor = std::max(factor, needed({child}));
        }
    }
    return factor;
}

void LayoutScale::scaleChildren(QWidget *parent, double factor)
{
    if (factor == 1.0)
        return;
    // Sizes round up, so that what fits before the rounding still does.
    const auto position = [factor](int value) { return int(std::lround(value * factor)); };
    const auto size = [factor](int value) { return int(std::ceil(value * factor - 1e-9)); };
    for (QWidget *child : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        const QRect old = child->geometry();
        child->setGeometry(position(old.x()), position(old.y()), size(old.width()),
                           size(old.height()));
        if (qobject_cast<QGroupBox *>(child))
            scaleChildren(child, factor);
    }
}

QSize LayoutScale::fitted(QSize design, QSize room, int scrollBar)
{
    const bool cutAcross = design.width() > room.width();
    const bool cutDown = design.height() > room.height();
    if (!cutAcross && !cutDown)
        return design;
    // The scroll bar along one side takes room from the other.
    return {std::min(design.width() + (cutDown ? scrollBar : 0), room.width()),
            std::min(design.height() + (cutAcross ? scrollBar : 0), room.height())};
}

void LayoutScale::reserve(QLabel *label, const QStringList &texts)
{
    label->setProperty(ReservedTexts, texts);
}
