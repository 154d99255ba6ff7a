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
struct BarContext;
class TDialogs;
class TPlatform;
class TSpeedButton;
struct ButtonRecord;

// The icon picker: the chosen index of a file with several icons.
class IconIndexPicker {
public:
    virtual int PickIconIndex(const std::string& iconFile) = 0;

protected:
    ~IconIndexPicker() = default;
};

class ButtonFaces {
public:
    // face: the button-face colour behind the icons. A write of the bar's own is run
    // through the context's guard (a refusal is shown once).
    ButtonFaces(BarContext& context, IconIndexPicker& picker, const QColor& face);

    // The face of button n with the given program and icon.
    void Show(TSpeedButton* button, const std::string& program, int iconIndex, const std::string& description,
              const std::string& iconFile, const std::string& parameters);
    void Show(TSpeedButton* button, const ButtonRecord& record);
    void Blank(TSpeedButton* button);


    // While loading no icon is asked for; the buttons found without one are collected.
    void BeginLoad() { loading_ = true; }
    std::vector<int> EndLoad();
    bool Loading() const { return loading_; }

private:
    BarContext& context_;
    BarStore& store_;
    TPlatform& platform_;
    TDialogs& dialogs_;
    IconIndexPicker& picker_;
    QColor face_;
    bool loading_ = false;
    std::set<int> iconDefaults_; // buttons found without an icon while loading
};

} // namespace kex
