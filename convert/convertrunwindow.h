#pragma once

#include <QString>

// What a conversion needs of the window while it runs; the convert page implements it, tests
// record it. Called on the thread that started the conversion, from its event loop.
class ConvertRunWindow
{
public:
    virtual ~ConvertRunWindow() = default;

    // Selects the row alone with the focus, scrolls it into view and repaints at once, so the
    // user sees which picture is being converted.
    virtual void showCurrentRow(int row) = 0;
    // A status-line text with its LineStatus kind, drawn at once.
    virtual void showStatus(const QString &text, int kind) = 0;
    virtual void setViewLogEnabled(bool enabled) = 0;
    // Empties the picture a failed conversion may have left in the preview.
    virtual void clearWorkingImage() = 0;
    virtual void showPlaceholder() = 0;
    virtual void beep() = 0;
    virtual void deselectAll() = 0;
    // A "Convert all" run begins and ends: the window shows its progress and offers a way to
    // stop it, and takes no other input meanwhile.
    virtual void runStarted(int total) = 0;
    virtual void showProgress(int done, int total) = 0;
    virtual void runFinished() = 0;
};
