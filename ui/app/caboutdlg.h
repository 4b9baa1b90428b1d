// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CAboutDlg;
}

// The about box: product, version, what it does, and links to the maker and to FreeImage.
// Modal; closed by a click anywhere but on a link, by Enter and by Escape.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;

    static QString versionText(int major, int minor, int build, int revision, bool prerelease);
    // The version compiled into this build.
    static QString versionText();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::CAboutDlg> m_ui;
};
