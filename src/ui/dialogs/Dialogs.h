// TDialogs: every modal interaction of the bar — message dialogs, file, directory and
// colour dialogs, popup menus and help. The Qt implementation is QtDialogs; tests
// use a scripted FakeDialogs.
#pragma once

#include <QColor>
#include <QPoint>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QWidget;

namespace kex {

class HelpWindow;

enum class MessageType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Button set of a message dialog.
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8, mbHelp = 16 };

enum class ModalResult { mrNone, mrOk, mrCancel, mrYes, mrNo };

struct OpenDialogOptions {
    std::string title;
    // Filter in the "Description|*.A;*.B|All Files|*.*" form.
    std::string filter;
    std::string initialDir;
    int helpContext = 0;
    bool multiSelect = false;
};

// The captions of the message kinds: "Warning", "Error", "Information", "Confirm".
const char* MessageCaption(MessageType type);

class TDialogs {
public:
    virtual ~TDialogs() = default;

    virtual ModalResult MessageDlg(const std::string& text, MessageType type, unsigned buttons, int helpContext) = 0;
    // A plain message box with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A notice that does not wait for the user (the bar goes on at once).
    virtual void Notify(const std::string& text) = 0;
    // The chosen files in order; empty when cancelled.
    virtual std::vector<std::string> OpenFiles(const OpenDialogOptions& options) = 0;
    virtual std::optional<std::string> SelectDirectory(const std::string& title, const std::string& initialDir,
                                                       int helpContext) = 0;
    // The colour dialog with its 16 custom colours (read and written back).
    virtual std::optional<QColor> ChooseColor(const QColor& initial, std::array<QColor, 16>& customColors,
                                              int helpContext) = 0;
    // Shows a popup menu at a screen point and runs the chosen item's action; answers
    // the chosen item (nullptr when none).
    virtual QAction* Popup(QMenu* menu, const QPoint& screenPos) = 0;
    // The help file and the help window: context 0 shows the contents.
    virtual void SetHelpFile(const std::string& path) = 0;
    virtual void ShowHelp(int context) = 0;

    std::optional<std::string> OpenFile(OpenDialogOptions options)
    {
        options.multiSelect = false;
        auto files = OpenFiles(options);
        if (files.empty())
            return std::nullopt;
        return files.front();
    }
};

class QtDialogs : public TDialogs {
public:
    explicit QtDialogs(QWidget* owner = nullptr);
    ~QtDialogs() override;

    void SetOwner(QWidget* owner) { owner_ = owner; }

    ModalResult MessageDlg(const std::string& text, MessageType type, unsigned buttons, int helpContext) override;
    void ShowMessage(const std::string& text) override;
    void Notify(const std::string& text) override;
    std::vector<std::string> OpenFiles(const OpenDialogOptions& options) override;
    std::optional<std::string> SelectDirectory(const std::string& title, const std::string& initialDir,
                                               int helpContext) override;
    std::optional<QColor> ChooseColor(const QColor& initial, std::array<QColor, 16>& customColors,
                                      int helpContext) override;
    QAction* Popup(QMenu* menu, const QPoint& screenPos) override;
    void SetHelpFile(const std::string& path) override;
    void ShowHelp(int context) override;

private:
    // A Help button that shows the context's topic, in a dialog with a button box.
    void AddHelpButton(QDialog& dialog, int helpContext);

    QWidget* owner_;
    std::string helpFile_;
    std::unique_ptr<HelpWindow> help_;
};

// "Programs|*.EXE|All Files|*.*" → Qt's "Programs (*.EXE);;All Files (*)".
QString QtFileFilter(const std::string& filter);

} // namespace kex
