// IconPicker (Qt object name "Form2"), the icon picker: shows the icons of a file one at a time ("Icon i of n"),
// stepped with a spin button, and lets the user choose one for the current button.
#pragma once

#include <QDialog>
#include <QImage>

#include <QPointer>

#include <functional>
#include <optional>
#include <string>

#include "ui/pages/ButtonFaces.h"

class QLabel;
class QToolButton;

namespace kex {

class TDialogs;
struct BarContext;
class TPlatform;
class TSpinButton;

// Whether choosing an icon from this file needs the picker: it holds more than one.
bool NeedsIconPicker(TPlatform& platform, const std::string& iconFile);

class IconPicker : public QDialog {
    Q_OBJECT
public:
    // Writes "IconSelection" of the current button; called only for an index above 0
    // (index 0 leaves the key erased, which reads as 0).
    using TIconSelectionWriter = std::function<void(int index)>;

    // helpFile: the bar's help file, found as for every other Help.
    IconPicker(TPlatform& platform, TDialogs& dialogs, std::function<std::string()> helpFile,
               QWidget* parent = nullptr);

    // Shows the picker modally on the icons of iconFile, starting at the first. Answers
    // the chosen index; nothing when the window was closed without a choice.
    std::optional<int> Execute(const std::string& iconFile, TIconSelectionWriter writeSelection);

    int Index() const { return index_; }
    int Count() const { return count_; }

    // Activation (the index restarts at 0), the display of the current icon, and the
    // handlers of the spin button, the choose button and the "?" button.
    void FormActivate(const std::string& iconFile);
    void IconShow();
    void StepUp();
    void StepDown();
    void Choose();
    void Help();

private:
    TPlatform& platform_;
    TDialogs& dialogs_;
    QLabel* caption_;
    QToolButton* chooseButton_;
    QToolButton* helpButton_;
    TSpinButton* spin_;

    std::function<std::string()> helpFile_;
    std::string iconFile_;
    int index_ = 0;
    int count_ = 0;
    std::optional<int> chosen_;
    TIconSelectionWriter writeSelection_;
};

// The icon picker as the bar uses it: the index chosen for a file with several icons,
// the dialog made at its first use.
class IconChoice final : public IconIndexPicker {
public:
    // dialogParent: the window the picker shows over.
    IconChoice(BarContext& context, QWidget* dialogParent) : context_(context), dialogParent_(dialogParent) {}
    // The chosen index (0 when the file holds one icon or the picker was closed
    // without a choice).
    int PickIconIndex(const std::string& iconFile) override;

private:
    BarContext& context_;
    QWidget* dialogParent_;
    QPointer<IconPicker> picker_;
};

} // namespace kex
