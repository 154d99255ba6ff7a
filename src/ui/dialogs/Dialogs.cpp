#include "ui/dialogs/Dialogs.h"

#include "ui/help/HelpWindow.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace kex {

const char* MessageCaption(MessageType type)
{
    switch (type) {
    case MessageType::mtWarning: return "Warning";
    case MessageType::mtError: return "Error";
    case MessageType::mtInformation: return "Information";
    case MessageType::mtConfirmation: return "Confirm";
    case MessageType::mtCustom: break;
    }
    return "Zivar32";
}

QString QtFileFilter(const std::string& filter)
{
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        if (patterns == "*.*")
            patterns = "*";
        out << parts[i] + " (" + patterns + ")";
    }
    return out.join(";;");
}

namespace {

// The browse dialog's view of its folder: while "Programs" is chosen only folders and
// executable files, with "All Files" everything. (QDir::Executable would hold for
// every name filter of the dialog, and its model hides files whose details it has
// not read yet.)
class ProgramsOnlyFilter : public QSortFilterProxyModel {
public:
    void SetActive(bool active)
    {
        active_ = active;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!active_ || !files)
            return true;
        const QFileInfo info(files->filePath(files->index(row, 0, parent)));
        return info.isDir() || info.isExecutable();
    }

private:
    bool active_ = true;
};

} // namespace

QtDialogs::QtDialogs(QWidget* owner) : owner_(owner) {}

QtDialogs::~QtDialogs() = default;

ModalResult QtDialogs::MessageDlg(const std::string& text, MessageType type, unsigned buttons, int helpContext)
{
    QMessageBox box(owner_);
    box.setWindowTitle(MessageCaption(type));
    box.setText(QString::fromStdString(text));
    switch (type) {
    case MessageType::mtWarning: box.setIcon(QMessageBox::Warning); break;
    case MessageType::mtError: box.setIcon(QMessageBox::Critical); break;
    case MessageType::mtInformation: box.setIcon(QMessageBox::Information); break;
    case MessageType::mtConfirmation: box.setIcon(QMessageBox::Question); break;
    case MessageType::mtCustom: break;
    }
    QMessageBox::StandardButtons standard;
    if (buttons & mbYes)
        standard |= QMessageBox::Yes;
    if (buttons & mbNo)
        standard |= QMessageBox::No;
    if (buttons & mbOK)
        standard |= QMessageBox::Ok;
    if (buttons & mbCancel)
        standard |= QMessageBox::Cancel;
    if (standard == QMessageBox::NoButton)
        standard = QMessageBox::Ok;
    box.setStandardButtons(standard);
    if (buttons & mbHelp) {
        // Help shows the topic and leaves the question open.
        QPushButton* help = box.addButton(QMessageBox::Help);
        help->disconnect();
        QObject::connect(help, &QPushButton::clicked, [this, helpContext] { ShowHelp(helpContext); });
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return ModalResult::mrYes;
    case QMessageBox::No: return ModalResult::mrNo;
    case QMessageBox::Ok: return ModalResult::mrOk;
    case QMessageBox::Cancel: return ModalResult::mrCancel;
    default: return ModalResult::mrNone;
    }
}

void QtDialogs::ShowMessage(const std::string& text)
{
    QMessageBox box(owner_);
    box.setWindowTitle("Zivar32");
    box.setText(QString::fromStdString(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void QtDialogs::Notify(const std::string& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, "Zivar32", QString::fromStdString(text), QMessageBox::Ok, owner_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void QtDialogs::AddHelpButton(QDialog& dialog, int helpContext)
{
    if (helpContext == 0)
        return;
    auto* box = dialog.findChild<QDialogButtonBox*>();
    if (!box)
        return;
    // Help shows the topic and leaves the dialog open.
    box->addButton(QDialogButtonBox::Help);
    QObject::connect(box, &QDialogButtonBox::helpRequested, &dialog, [this, helpContext] { ShowHelp(helpContext); });
}

std::vector<std::string> QtDialogs::OpenFiles(const OpenDialogOptions& options)
{
    QFileDialog dialog(owner_, QString::fromStdString(options.title), QString::fromStdString(options.initialDir),
                       QtFileFilter(options.filter));
    // Qt's own dialog, whose buttons take the Help button.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(options.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // "Programs" shows executable files (Linux programs have no extension to match),
    // "All Files" every file.
    if (options.filter.rfind("Programs|", 0) == 0) {
        const QString programs = "Programs (*)";
        dialog.setNameFilters(QStringList() << programs << "All Files (*)");
        auto* view = new ProgramsOnlyFilter;
        dialog.setProxyModel(view); // the dialog takes it over
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [view, programs](const QString& nameFilter) { view->SetActive(nameFilter == programs); });
    }
    AddHelpButton(dialog, options.helpContext);
    std::vector<std::string> files;
    if (dialog.exec() == QDialog::Accepted)
        for (const QString& f : dialog.selectedFiles())
            files.push_back(f.toStdString());
    return files;
}

std::optional<std::string> QtDialogs::SelectDirectory(const std::string& title, const std::string& initialDir,
                                                      int helpContext)
{
    QFileDialog dialog(owner_, QString::fromStdString(title), QString::fromStdString(initialDir));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    AddHelpButton(dialog, helpContext);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<QColor> QtDialogs::ChooseColor(const QColor& initial, std::array<QColor, 16>& customColors,
                                             int helpContext)
{
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, customColors[std::size_t(i)]);
    QColorDialog dialog(initial, owner_);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    AddHelpButton(dialog, helpContext);
    bool accepted = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < 16; ++i)
        customColors[std::size_t(i)] = QColorDialog::customColor(i);
    if (!accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

QAction* QtDialogs::Popup(QMenu* menu, const QPoint& screenPos) { return menu->exec(screenPos); }

void QtDialogs::SetHelpFile(const std::string& path) { helpFile_ = path; }

void QtDialogs::ShowHelp(int context)
{
    if (!help_)
        help_ = std::make_unique<HelpWindow>();
    help_->SetHelpFile(QString::fromStdString(helpFile_));
    if (context == 0)
        help_->ShowContents();
    else
        help_->ShowContext(context);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

} // namespace kex
