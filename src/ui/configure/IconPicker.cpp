// The icon picker window and its rules: no wrap-around, and a choice of the first icon
// stores nothing.
#include "ui/configure/IconPicker.h"

#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include "app/Dialogs.h"
#include "platform/TPlatform.h"
#include "ui/widgets/SpinButton.h"

namespace kex {

namespace {
constexpr int kHelpContext = 14;
} // namespace

QImage IconGlyph(const QImage& icon, const QColor& face)
{
    QImage glyph(icon.width(), icon.height() + 1, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(face);
    QPainter p(&glyph);
    p.drawImage(0, 0, icon);
    return glyph;
}

bool NeedsIconPicker(TPlatform& platform, const std::string& iconFile)
{
    return platform.IconCount(iconFile) > 1;
}

TForm2::TForm2(TPlatform& platform, TDialogs& dialogs, QWidget* parent)
    : QDialog(parent), platform_(platform), dialogs_(dialogs), Panel1(new QLabel(this)),
      SpeedButton1(new QToolButton(this)), SpeedButton2(new QToolButton(this)), SpinButton1(new TSpinButton(this))
{
    setObjectName("Form2");
    setWindowTitle("Select");
    setFixedSize(113, 58);
    setModal(true);

    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setToolTip("Press to choose this Icon");
    SpeedButton1->setAutoRaise(false);
    SpeedButton1->setIconSize(QSize(32, 33));
    SpeedButton1->setGeometry(4, 2, 38, 38);

    SpinButton1->setObjectName("SpinButton1");
    SpinButton1->setGeometry(48, 7, 20, 25);

    SpeedButton2->setObjectName("SpeedButton2");
    SpeedButton2->setText("?");
    SpeedButton2->setToolTip("Help");
    SpeedButton2->setGeometry(76, 7, 25, 25);

    Panel1->setObjectName("Panel1");
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setGeometry(2, 41, 109, 16);

    connect(SpinButton1, &TSpinButton::OnUpClick, this, &TForm2::SpinButton1UpClick);
    connect(SpinButton1, &TSpinButton::OnDownClick, this, &TForm2::SpinButton1DownClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm2::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm2::SpeedButton2Click);
}

std::optional<int> TForm2::Execute(const std::string& iconFile, TIconSelectionWriter writeSelection)
{
    writeSelection_ = std::move(writeSelection);
    FormActivate(iconFile);
    exec();
    writeSelection_ = nullptr;
    return chosen_;
}

void TForm2::FormActivate(const std::string& iconFile)
{
    appDir_ = platform_.AppDir();
    iconFile_ = iconFile;
    index_ = 0;
    chosen_.reset();
    IconShow();
}

void TForm2::IconShow()
{
    count_ = platform_.IconCount(iconFile_);
    Panel1->setText(QString("Icon %1 of %2").arg(index_ + 1).arg(count_));
    const QImage icon = platform_.ExtractIcon(iconFile_, index_);
    SpeedButton1->setIcon(icon.isNull() ? QIcon()
                                        : QIcon(QPixmap::fromImage(IconGlyph(icon, palette().color(QPalette::Button)))));
}

void TForm2::SpinButton1UpClick()
{
    if (index_ + 1 < count_) {
        ++index_;
        IconShow();
    }
}

void TForm2::SpinButton1DownClick()
{
    if (index_ > 0) {
        --index_;
        IconShow();
    }
}

void TForm2::SpeedButton1Click()
{
    chosen_ = index_;
    if (index_ > 0 && writeSelection_)
        writeSelection_(index_);
    accept();
}

void TForm2::SpeedButton2Click()
{
    dialogs_.SetHelpFile(appDir_ + "Kexbar.HLP");
    dialogs_.ShowHelp(kHelpContext);
}

} // namespace kex
