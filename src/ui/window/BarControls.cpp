#include "ui/window/BarControls.h"

#include <QEvent>
#include <QFrame>
#include <QLineEdit>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolButton>

#include "core/window/Startup.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/TabSet.h"

namespace kex {

namespace {
// The selection edit lies behind the pages, never seen: its caret does not blink (the
// edit's focus-in would start a blink timer that wakes the idle bar twice a second).
// The focus itself, the keys and the text are the edit's as before.
class NoCaretBlink : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::FocusIn; }
};

QFont BarFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void BuildGaugePanel(BarControls& c, std::function<QPoint()> cursorPos, const TEyes::TMotionWatchMaker& motion)
{
    c.panel = new QFrame(c.content);
    c.panel->setObjectName("Panel1");
    c.panel->setGeometry(0, 0, kPanelWidth, kPanelHeight);
    c.panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    c.panel->setAutoFillBackground(true);
    c.gauge = new TEnhancedGauge(c.panel);
    c.gauge->setObjectName("Gauge1");
    c.gauge->setGeometry(2, 1, 39, 15);
    c.gauge->SetBorderStyle(TBorderStyle::bsNone);
    c.gauge->SetForeColor(QColor(0, 0xFF, 0)); // lime
    c.gauge->SetBackColor(QColor(0x80, 0, 0)); // maroon
    c.gauge->SetAlignment(TAlignment::taCenter);
    c.gauge->setFont(BarFont(12, false));
    c.eyes = new TEyes(c.panel, std::move(cursorPos), motion);
    c.eyes->setObjectName("Eyes");
    c.eyes->setGeometry(2, 1, 40, 16);
    c.eyes->SetActive(false);
    c.eyes->SetPupilColor(Qt::blue);
    c.eyes->hide();
}

QToolButton* SmallButton(QWidget* parent, const char* name, int left, const QIcon& icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(left, 18, 23, 19);
    button->setIcon(icon);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

BarControls BuildBarControls(QWidget& window, std::function<QPoint()> cursorPos, const TEyes::TMotionWatchMaker& motion)
{
    window.setWindowTitle("Start");
    window.setFont(BarFont(11, true));
    window.setAutoFillBackground(true);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80)); // the classic desktop background
    window.setPalette(pal);

    BarControls c;
    c.content = new QWidget(&window);
    c.content->setObjectName("Content");

    c.notebook = new QStackedWidget(c.content);
    c.notebook->setObjectName("Notebook1");
    c.notebook->setGeometry(44, 0, 577, 37);
    auto* designPage = new QWidget;
    designPage->setObjectName("Default");
    c.notebook->addWidget(designPage);

    c.keys = new QLineEdit(c.content);
    c.keys->setObjectName("Keys");
    c.keys->setGeometry(180, 6, 33, 20);
    c.keys->stackUnder(c.notebook);
    c.keys->installEventFilter(new NoCaretBlink(c.keys));

    BuildGaugePanel(c, std::move(cursorPos), motion);

    c.helpButton = SmallButton(c.content, "HelpButton", 0, HelpGlyph());
    c.runButton = SmallButton(c.content, "RunButton", 22, RunGlyph());
    c.runButton->setContextMenuPolicy(Qt::CustomContextMenu);

    c.tabs = new TTabSet(c.content);
    c.tabs->setObjectName("TabSet1");
    c.tabs->setGeometry(46, 34, 575, 18);

    c.pageName = new QLineEdit(c.content);
    c.pageName->setObjectName("PageName");
    c.pageName->setGeometry(0, 36, 51, 19);
    c.pageName->hide();

    c.scrollBar = new QScrollBar(Qt::Horizontal, &window);
    c.scrollBar->setObjectName("HorzScrollBar");
    c.scrollBar->hide();
    return c;
}

} // namespace kex
