// The gauge panel's sources: "Show Eyes" and the clearing that every source item
// begins with. The drive, memory, clock and timer sources come with their readings.
#include <QAction>

#include "ui/window/MainWindow.h"
#include "core/bar/BarStore.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"

namespace kex {

void MainWindow::UnCheck()
{
    for (char letter = 'C'; letter <= 'Z'; ++letter)
        if (QAction* drive = MenuItem(QString(QChar(letter)) + "HardDrive"))
            drive->setChecked(false);
    for (const char* name : {"SystemMemory1", "ShowTime1", "ProgTime1", "Eyes1"})
        if (QAction* item = MenuItem(name))
            item->setChecked(false);
    c_.eyes->SetActive(false);
    c_.eyes->hide();
}

void MainWindow::ShowEyes()
{
    c_.gauge->SetProgress(0);
    c_.gauge->hide();
    c_.eyes->show();
    c_.eyes->SetActive(true);
    c_.eyes->SetPopupMenu(c_.gauge->PopupMenu());
}

void MainWindow::Eyes1Click()
{
    UnCheck();
    MenuItem("Eyes1")->setChecked(true);
    state_.GaugeType = "Eyes1";
    // The eyes show what the menu says even when the choice cannot be stored.
    ShowEyes();
    store_->SaveGaugeType(state_.GaugeType);
}

} // namespace kex
