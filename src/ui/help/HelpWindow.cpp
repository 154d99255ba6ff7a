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
    backButton_ = new QPushButton(QStringLiteral("&Back"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* button : {contents, backButton_, close})
        button->setAutoDefault(false);
    backButton_->setEnabled(false);

    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(backButton_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);

    connect(contents, &QPushButton::clicked, this, &HelpWindow::ShowContents);
    connect(backButton_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, backButton_, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::SetHelpFile(const QString& path) { path_ = path; }

bool HelpWindow::Load()
{
    const QFileInfo info(path_);
    if (loaded_ && loadedPath_ == path_ && info.exists() && info.lastModified() == loadedStamp_)
        return true;

    loaded_ = false;
    loadedPath_.clear();
    browser_->clearHistory();

    if (path_.isEmpty()) {
        browser_->setHtml(QStringLiteral("<p>No help file has been named.</p>"));
        return false;
    }
    QFile file(path_);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        browser_->setHtml(QStringLiteral("<p>The help file %1 could not be opened.</p>").arg(path_.toHtmlEscaped()));
        return false;
    }
    const QByteArray data = file.readAll();
    QStringDecoder decode(QStringConverter::encodingForHtml(data).value_or(QStringConverter::Utf8));
    const QString html = decode(data);

    // Pictures a topic may name are looked up beside the help file.
    browser_->setSearchPaths({info.absolutePath()});
    browser_->setHtml(html);
    browser_->clearHistory();

    loaded_ = true;
    loadedPath_ = path_;
    loadedStamp_ = info.lastModified();
    return true;
}

bool HelpWindow::HasAnchor(const QString& name) const
{
    return loaded_ && AnchorPosition(browser_->document(), name) >= 0;
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
    QTextCursor cursor(browser_->document());
    cursor.movePosition(QTextCursor::Start);
    browser_->setTextCursor(cursor);
    browser_->verticalScrollBar()->setValue(0);
}

void HelpWindow::ShowContext(int context)
{
    const QString name = QStringLiteral("ctx%1").arg(context);
    if (!Load() || !HasAnchor(name)) {
        ShowContents();
        return;
    }
    Present();
    browser_->scrollToAnchor(name);
}

} // namespace kex
