#include "ui/pages/ButtonFaces.h"

#include "core/bar/BarStore.h"
#include "core/config/Settings.h"
#include "core/launch/CommandLine.h"
#include "core/pages/ButtonRecord.h"
#include "core/pages/Grid.h"
#include "platform/TPlatform.h"
#include "ui/window/BarContext.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/SpeedButton.h"

namespace kex {

ButtonFaces::ButtonFaces(BarContext& context, IconIndexPicker& picker, const QColor& face)
    : context_(context), store_(context.store), platform_(context.platform), dialogs_(context.dialogs), picker_(picker),
      face_(face)
{
}

std::vector<int> ButtonFaces::EndLoad()
{
    loading_ = false;
    std::vector<int> defaults(iconDefaults_.begin(), iconDefaults_.end());
    iconDefaults_.clear();
    return defaults;
}

void ButtonFaces::Blank(TSpeedButton* button) { Show(button, "", 0, "", "", ""); }

void ButtonFaces::Show(TSpeedButton* button, const ButtonRecord& r)
{
    Show(button, r.Program, r.IconIndex, r.Description, r.IconFile, r.Parameters);
}

void ButtonFaces::Show(TSpeedButton* button, const std::string& program, int iconIndex, const std::string& description,
                       const std::string& iconFile, const std::string& parameters)
{
    if (!button)
        return;
    // The name shown when the program has no icon.
    std::string name = program.empty() ? std::string() : NameWithoutExtension(FileNamePart(program));
    // The icon: the chosen icon file, else the program's own.
    // "Default" names the built-in icon, which comes last.
    QImage icon =
        (iconFile.empty() || iconFile == "Default") ? QImage() : platform_.ExtractIcon(ProgramOf(iconFile), iconIndex);
    if (icon.isNull() && !program.empty())
        icon = platform_.ExtractIcon(ProgramOf(program), 0);
    // What is learnt about the icon is stored in one write; a refused write (a
    // read-only configuration) is shown and the button still gets its picture.
    if (icon.isNull() && !program.empty()) {
        const int n = button->Number();
        const std::string& stored = iconFile; // as the record holds it
        std::string file = iconFile;
        int index = iconIndex;
        std::optional<std::string> storeIcon;
        if (stored.empty() && !loading_) {
            OpenDialogOptions options;
            options.title = name + " has no Icon. Select a seperate Icon OR Cancel for default";
            options.filter = "Icon File Types|*.ico;*.exe;*.dll;*.png;*.svg;*.xpm;*.bmp;*.desktop|All Files|*.*";
            auto chosen = dialogs_.OpenFile(options);
            file = chosen ? ShortPathOf(*chosen) : std::string();
            index = 0;
            if (!file.empty() && platform_.IconCount(ProgramOf(file)) > 1)
                index = picker_.PickIconIndex(file);
            storeIcon = file;
        }
        if (!file.empty() && file != "Default")
            icon = platform_.ExtractIcon(ProgramOf(file), index);
        if (icon.isNull()) {
            icon = BuiltinIcon("ICON_2");
            if (stored != "Default") {
                if (loading_)
                    iconDefaults_.insert(n);
                else
                    storeIcon = std::string(settings::IconDefault);
            }
        }
        if (storeIcon)
            context_.guard.WriteReportedOnce([&] { store_.SaveIcon(n, *storeIcon, index); });
    }
    // The picture on the button's face.
    button->SetGlyph(icon.isNull() ? QImage() : IconGlyph(icon, face_));
    // The hint: the description, else the program's name.
    button->setToolTip(QString::fromStdString(ButtonHint(program, description, parameters)));
}

} // namespace kex
