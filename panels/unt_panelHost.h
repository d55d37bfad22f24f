#pragma once
// The narrow way back from a work panel to the window that holds it: the
// session, and the window's shape buttons, which the window makes and
// switches for every panel alike.
#include "ui/unt_clsSession.h"

#include <QString>

#include <functional>

class QWidget;

struct TPanelHost {
    TclsSession &Session;
    // Makes the shape and caption of the button Key on Host.
    std::function<void(QWidget *Host, const QString &Key, const QString &Caption, int X, int Y, int W, int H)>
        MakeShapePair;
    // Runs a store call with the button Key disabled and the hourglass shown.
    std::function<void(const QString &Key, const std::function<void()> &Work)> WhileButtonBusy;
};
