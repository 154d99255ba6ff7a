// BarControls: the main window's controls with their designer names (the Qt object
// names tests and help use), fonts, colours and places. The window connects them.
#pragma once

#include <QPoint>

#include <functional>

#include "ui/widgets/Eyes.h"

class QFrame;
class QLineEdit;
class QScrollBar;
class QStackedWidget;
class QToolButton;
class QWidget;

namespace kex {

class TEnhancedGauge;
class TEyes;
class TTabSet;

struct BarControls {
    QWidget* content = nullptr; // everything but the horizontal scroll bar
    QFrame* panel = nullptr;    // "Panel1": the gauge panel
    TEnhancedGauge* gauge = nullptr;
    TEyes* eyes = nullptr;
    QToolButton* helpButton = nullptr;
    QToolButton* runButton = nullptr;
    QStackedWidget* notebook = nullptr; // "Notebook1": the pages
    TTabSet* tabs = nullptr;            // "TabSet1"
    QLineEdit* keys = nullptr;          // "Keys": the keyboard selection
    QLineEdit* pageName = nullptr;      // "PageName": the inline editor
    QScrollBar* scrollBar = nullptr;    // "HorzScrollBar"
};

// Builds the controls on the window; cursorPos: the pointer's screen position, which
// the eyes follow; motion: the watch of the pointer's motion that lets them rest.
BarControls BuildBarControls(QWidget& window, std::function<QPoint()> cursorPos,
                             const TEyes::TMotionWatchMaker& motion = nullptr);

} // namespace kex
