// ButtonFaces: a page button's picture and hint from its record. A program without an
// icon asks for an icon file (not while the buttons are being loaded: those are
// marked "Default" in the load's tidying), and what is learnt is stored.
#pragma once

#include <QColor>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kex {

class BarStore;
class TDialogs;
class TPlatform;
class TSpeedButton;
struct ButtonRecord;

class ButtonFaces {
public:
    using WriteReporter = std::function<void(const std::function<void()>& write)>;
    // report: runs a write of the bar's own, showing a refusal once.
    ButtonFaces(BarStore& store, TPlatform& platform, TDialogs& dialogs, WriteReporter report);

    // The face of button n with the given program and icon.
    void Show(TSpeedButton* button, const std::string& program, int iconIndex, const std::string& description,
              const std::string& iconFile, const std::string& parameters);
    void Show(TSpeedButton* button, const ButtonRecord& record);
    void Blank(TSpeedButton* button);

    // The button-face colour behind the icons.
    void SetFaceColor(const QColor& face) { face_ = face; }
    // The icon picker: the chosen index of a file with several icons (without one: 0).
    void SetIconPicker(std::function<int(const std::string& iconFile)> picker) { picker_ = std::move(picker); }

    // While loading no icon is asked for; the buttons found without one are collected.
    void BeginLoad() { loading_ = true; }
    std::vector<int> EndLoad();
    bool Loading() const { return loading_; }

private:
    BarStore& store_;
    TPlatform& platform_;
    TDialogs& dialogs_;
    WriteReporter report_;
    QColor face_;
    std::function<int(const std::string&)> picker_;
    bool loading_ = false;
    std::set<int> iconDefaults_; // buttons found without an icon while loading
};

} // namespace kex
