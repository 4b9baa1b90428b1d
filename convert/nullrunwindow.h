#pragma once

#include "convert/convertrunwindow.h"

// A run without a window to show it: benchmarks and tools. Override what you want to watch.
class NullRunWindow : public ConvertRunWindow
{
public:
    void showCurrentRow(int) override {}
    void showStatus(const QString &, int) override {}
    void setViewLogEnabled(bool) override {}
    void clearWorkingImage() override {}
    void showPlaceholder() override {}
    void beep() override {}
    void deselectAll() override {}
    void runStarted(int) override {}
    void showProgress(int, int) override {}
    void runFinished() override {}
};
