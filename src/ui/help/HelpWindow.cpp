#include "ui/help/HelpWindow.h"

#include "ui/widgets/Pictures.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace kex {

namespace {

// Position of the first character that carries the named anchor, -1 when none.
int AnchorPosition(const QTextDocument* document, const QString& name)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.charFormat().anchorNames().contains(name))
                return fragment.position();
        }
    }
    return -1;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Kexbar Help"));
    setWindowIcon(MainIcon());
    resize(520, 440);

    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    BackButton_ = new QPushButton(QStringLiteral("&Back"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* button : {contents, BackButton_, close})
        button->setAutoDefault(false);
    BackButton_->setEnabled(false);

    Browser_ = new QTextBrowser(this);
    Browser_->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(BackButton_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(Browser_, 1);

    connect(contents, &QPushButton::clicked, this, &HelpWindow::ShowContents);
    connect(BackButton_, &QPushButton::clicked, Browser_, &QTextBrowser::backward);
    connect(Browser_, &QTextBrowser::backwardAvailable, BackButton_, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::SetHelpFile(const QString& path) { Path_ = path; }

bool HelpWindow::Load()
{
    const QFileInfo info(Path_);
    if (Loaded_ && LoadedPath_ == Path_ && info.exists() && info.lastModified() == LoadedStamp_)
        return true;

    Loaded_ = false;
    LoadedPath_.clear();
    Browser_->clearHistory();

    if (Path_.isEmpty()) {
        Browser_->setHtml(QStringLiteral("<p>No help file has been named.</p>"));
        return false;
    }
    QFile file(Path_);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        Browser_->setHtml(QStringLiteral("<p>The help file %1 could not be opened.</p>").arg(Path_.toHtmlEscaped()));
        return false;
    }
    const QByteArray data = file.readAll();
    QStringDecoder decode(QStringConverter::encodingForHtml(data).value_or(QStringConverter::Utf8));
    const QString html = decode(data);

    // Pictures a topic may name are looked up beside the help file.
    Browser_->setSearchPaths({info.absolutePath()});
    Browser_->setHtml(html);
    Browser_->clearHistory();

    Loaded_ = true;
    LoadedPath_ = Path_;
    LoadedStamp_ = info.lastModified();
    return true;
}

bool HelpWindow::HasAnchor(const QString& name) const
{
    return Loaded_ && AnchorPosition(Browser_->document(), name) >= 0;
}

void HelpWindow::Present()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void HelpWindow::ShowContents()
{
    Load();
    Present();
    QTextCursor cursor(Browser_->document());
    cursor.movePosition(QTextCursor::Start);
    Browser_->setTextCursor(cursor);
    Browser_->verticalScrollBar()->setValue(0);
}

void HelpWindow::ShowContext(int context)
{
    const QString name = QStringLiteral("ctx%1").arg(context);
    if (!Load() || !HasAnchor(name)) {
        ShowContents();
        return;
    }
    Present();
    Browser_->scrollToAnchor(name);
}

} // namespace kex
