// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QList>
#include <QSize>
#include <QStringList>

class QLabel;
class QWidget;

// The main window and its pages place their controls at fixed positions drawn up for a 9-point
// desktop font. A larger font would clip their texts, so the whole design grows by one factor,
// every position and size alike, until each text fits the font it is drawn in: the arrangement
// stays as it is, only larger.
class LayoutScale
{
public:
    // The factor, 1 or more, by which the children of the parents must grow so that every text
    // fits: labels (their reserved texts too), buttons, check boxes, group titles, tab strips,
    // and the height of edits, drop-down boxes and spin boxes. Children placed by a layout are
    // left to it; the children of group boxes are counted in.
    static double needed(const QList<const QWidget *> &parents);
    // Multiplies the position and size of every child of the parent by the factor, and of the
    // children of its group boxes.
    static void scaleChildren(QWidget *parent, double factor);
    // The size of a window whose design takes the size given, on a screen with the room given:
    // the design's own where it fits, else as much of it as fits with the scroll bars (of the
    // extent given) needed to reach the rest.
    static QSize fitted(QSize design, QSize room, int scrollBar);
    // Texts the label shows at other times (counts, sizes, words that follow a slider), for
    // needed() to make room for as well.
    static void reserve(QLabel *label, const QStringList &texts);
};
