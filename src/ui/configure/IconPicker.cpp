// The icon picker window and its rules: no wrap-around, and a choice of the first icon
// stores nothing.
#include "ui/configure/IconPicker.h"

#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include "core/launch/CommandLine.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/window/BarContext.h"
#include "platform/TPlatform.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/SpinButton.h"

namespace kex {

namespace {
constexpr int kHelpContext = 14;
} // namespace

bool NeedsIconPicker(TPlatform& platform, const std::string& iconFile)
{
    return platform.IconCount(iconFile) > 1;
}

IconPicker::IconPicker(TPlatform& platform, TDialogs& dialogs, std::function<std::string()> helpFile, QWidget* parent)
    : QDialog(parent), platform_(platform), dialogs_(dialogs), caption_(new QLabel(this)),
      chooseButton_(new QToolButton(this)), helpButton_(new QToolButton(this)), spin_(new TSpinButton(this)),
      helpFile_(std::move(helpFile))
{
    setObjectName("Form2");
    setWindowTitle("Select");
    setFixedSize(113, 58);
    setModal(true);

    chooseButton_->setObjectName("SpeedButton1");
    chooseButton_->setToolTip("Press to choose this Icon");
    chooseButton_->setAutoRaise(false);
    chooseButton_->setIconSize(QSize(32, 33));
    chooseButton_->setGeometry(4, 2, 38, 38);

    spin_->setObjectName("SpinButton1");
    spin_->setGeometry(48, 7, 20, 25);

    helpButton_->setObjectName("SpeedButton2");
    helpButton_->setText("?");
    helpButton_->setToolTip("Help");
    helpButton_->setGeometry(76, 7, 25, 25);

    caption_->setObjectName("Panel1");
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setFrameShape(QFrame::Panel);
    caption_->setFrameShadow(QFrame::Raised);
    caption_->setGeometry(2, 41, 109, 16);

    connect(spin_, &TSpinButton::OnUpClick, this, &IconPicker::StepUp);
    connect(spin_, &TSpinButton::OnDownClick, this, &IconPicker::StepDown);
    connect(chooseButton_, &QToolButton::clicked, this, &IconPicker::Choose);
    connect(helpButton_, &QToolButton::clicked, this, &IconPicker::Help);
}

std::optional<int> IconPicker::Execute(const std::string& iconFile, TIconSelectionWriter writeSelection)
{
    writeSelection_ = std::move(writeSelection);
    FormActivate(iconFile);
    exec();
    writeSelection_ = nullptr;
    return chosen_;
}

void IconPicker::FormActivate(const std::string& iconFile)
{
    iconFile_ = iconFile;
    index_ = 0;
    chosen_.reset();
    IconShow();
}

void IconPicker::IconShow()
{
    count_ = platform_.IconCount(iconFile_);
    caption_->setText(QString("Icon %1 of %2").arg(index_ + 1).arg(count_));
    const QImage icon = platform_.ExtractIcon(iconFile_, index_);
    chooseButton_->setIcon(icon.isNull() ? QIcon()
                                        : QIcon(QPixmap::fromImage(IconGlyph(icon, palette().color(QPalette::Button)))));
}

void IconPicker::StepUp()
{
    if (index_ + 1 < count_) {
        ++index_;
        IconShow();
    }
}

void IconPicker::StepDown()
{
    if (index_ > 0) {
        --index_;
        IconShow();
    }
}

void IconPicker::Choose()
{
    chosen_ = index_;
    if (index_ > 0 && writeSelection_)
        writeSelection_(index_);
    accept();
}

void IconPicker::Help()
{
    dialogs_.SetHelpFile(helpFile_());
    dialogs_.ShowHelp(kHelpContext);
}

int IconChoice::PickIconIndex(const std::string& iconFile)
{
    const std::string file = ProgramOf(iconFile);
    if (!NeedsIconPicker(context_.platform, file))
        return 0;
    if (!picker_)
        picker_ = new IconPicker(context_.platform, context_.dialogs, [this] { return context_.HelpFile(); },
                                 dialogParent_);
    // The choice is stored by the caller with the icon file, in one write.
    int chosen = 0;
    picker_->Execute(file, [&chosen](int index) { chosen = index; });
    return chosen;
}

} // namespace kex
