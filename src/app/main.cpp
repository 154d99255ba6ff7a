// The bar's program entry: the application object, the main window, the message loop.
#include <QApplication>
#include <QIcon>

#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "ui/dialogs/Dialogs.h"
#include "ui/widgets/Pictures.h"
#include "ui/window/MainWindow.h"
#include "platform/LinuxPlatform.h"

namespace {

kex::TDialogs* errorReporter = nullptr;

// An error that escapes a handler is shown in an error box; the bar goes on.
class TKexApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            if (errorReporter)
                errorReporter->MessageDlg(e.what(), kex::TMsgDlgType::mtError, kex::mbOK, 0);
        }
        return false;
    }
};

// The application icon the desktop entry names, drawn from the program's own copy of
// the SVG; without Qt's SVG support the same picture painted by the program.
QIcon ApplicationIcon()
{
    QIcon icon(QStringLiteral(":/icons/kexbar.svg"));
    if (icon.pixmap(QSize(32, 32)).isNull())
        return kex::MainIcon();
    return icon;
}

} // namespace

int main(int argc, char** argv)
{
    // Placing the bar and keeping it on top need X11: on a Wayland session the bar runs
    // through XWayland unless the user chose a platform.
    if (!std::getenv("QT_QPA_PLATFORM") && std::getenv("WAYLAND_DISPLAY") && std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    TKexApplication app(argc, argv);
    // The application name is the windows' WM_CLASS and the desktop file name their
    // Wayland app id, so that docks and task bars group the bar under its entry.
    app.setApplicationName("kexbar");
    app.setDesktopFileName(QStringLiteral(KEXBAR_APP_ID));
    app.setWindowIcon(ApplicationIcon());

    kex::LinuxPlatform platform;
    kex::TQtDialogs dialogs;
    errorReporter = &dialogs;
    std::vector<std::string> args(argv + 1, argv + argc);
    int result = EXIT_FAILURE;
    try {
        kex::MainWindow form(platform, dialogs, args);
        dialogs.SetOwner(&form);
        if (!form.StartsHidden())
            form.show();
        result = app.exec();
        dialogs.SetOwner(nullptr);
    } catch (const std::exception& e) {
        // The start-up pass goes on past the errors it expects; anything else is shown
        // and ends the program in order.
        dialogs.SetOwner(nullptr);
        dialogs.MessageDlg(e.what(), kex::TMsgDlgType::mtError, kex::mbOK, 0);
    }
    errorReporter = nullptr;
    return result;
}
