// The gauge panel's sources: "Show Eyes" and the clearing that every source item
// begins with. The drive, memory, clock and timer sources come with their readings.
#include <QAction>

#include "ui/window/MainWindow.h"
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
    Eyes->SetActive(false);
    Eyes->hide();
}

void MainWindow::ShowEyes()
{
    Gauge1->SetProgress(0);
    Gauge1->hide();
    Eyes->show();
    Eyes->SetActive(true);
    Eyes->SetPopupMenu(Gauge1->PopupMenu());
}

void MainWindow::Eyes1Click()
{
    UnCheck();
    MenuItem("Eyes1")->setChecked(true);
    GaugeType = "Eyes1";
    // The eyes show what the menu says even when the choice cannot be stored.
    ShowEyes();
    store_->SaveGaugeType(GaugeType);
}

} // namespace kex
