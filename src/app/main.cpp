// The bar's program entry: the application object, the main window, the message loop.
#include <QApplication>

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

} // namespace

int main(int argc, char** argv)
{
    // Placing the bar and keeping it on top need X11: on a Wayland session the bar runs
    // through XWayland unless the user chose a platform.
    if (!std::getenv("QT_QPA_PLATFORM") && std::getenv("WAYLAND_DISPLAY") && std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    TKexApplication app(argc, argv);
    app.setApplicationName("kexbar");
    app.setWindowIcon(kex::MainIcon());

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
