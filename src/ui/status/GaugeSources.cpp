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
    eyes_->SetActive(false);
    eyes_->hide();
}

void MainWindow::ShowEyes()
{
    gauge_->SetProgress(0);
    gauge_->hide();
    eyes_->show();
    eyes_->SetActive(true);
    eyes_->SetPopupMenu(gauge_->PopupMenu());
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
