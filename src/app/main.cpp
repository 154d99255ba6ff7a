// The bar's program entry: the command line, a request handed to the bar already
// running on the configuration, else the application object, the main window and the
// message loop.
#include <QApplication>
#include <QIcon>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "core/window/Startup.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/widgets/Pictures.h"
#include "ui/window/MainWindow.h"
#include "platform/ActivationService.h"
#include "platform/LinuxPlatform.h"

namespace {

kex::TDialogs* errorReporter = nullptr;

// An error that escapes a handler is shown in an error box; the bar goes on.
class KexApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            if (errorReporter)
                errorReporter->MessageDlg(e.what(), kex::MessageType::mtError, kex::mbOK, 0);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    // Help and a malformed request need no display: they are answered before the
    // application object exists. Qt's own options (-platform, -style, ...) are written
    // with one dash, which this reading passes over.
    {
        const kex::CommandLineRequests given =
            kex::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), "");
        if (given.Help) {
            std::cout << kex::CommandLineUsage();
            return EXIT_SUCCESS;
        }
        if (!given.Error.empty()) {
            std::cerr << "kexbar: " << given.Error << "\nTry \"kexbar --help\".\n";
            return EXIT_FAILURE;
        }
    }

    // Placing the bar and keeping it on top need X11: on a Wayland session the bar runs
    // through XWayland unless the user chose a platform.
    if (!std::getenv("QT_QPA_PLATFORM") && std::getenv("WAYLAND_DISPLAY") && std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    // The window's pictures go to the X server as plain images rather than through
    // shared memory: Qt waits for a round trip to the server before it paints again
    // into a shared image, which woke the idle bar three times a second for the
    // gauge's one refresh. The bar is small; its whole window is 130 KiB of pixels.
    setenv("QT_XCB_NO_MITSHM", "1", 0);
    KexApplication app(argc, argv);
    // The application name is the windows' WM_CLASS and the desktop file name their
    // Wayland app id, so that docks and task bars group the bar under its entry.
    app.setApplicationName("kexbar");
    app.setDesktopFileName(QStringLiteral(KEXBAR_APP_ID));
    // The picture of the installed SVG (the desktop entry's icon), painted by the program:
    // no SVG library is loaded for it.
    app.setWindowIcon(kex::MainIcon());

    kex::LinuxPlatform platform;
    kex::QtDialogs dialogs;
    errorReporter = &dialogs;
    // The application object has taken its own options out of argv.
    const std::vector<std::string> args(argv + 1, argv + argc);
    const kex::CommandLineRequests commandLine =
        kex::ParseCommandLine(args, [&platform] { return platform.NetworkUserName(); });

    // The configuration's service on the session bus. With a request, the bar that
    // answers it already takes the request and this program ends; without one, or when
    // none answers, this program is the bar (a second bar on a configuration waits in
    // the name's queue and answers once the first ends).
    kex::ActivationService activation(commandLine.IniSuffix, platform.AppDir());
    if (commandLine.Request) {
        const kex::ForwardResult sent = activation.HandToRunningBar(*commandLine.Request);
        switch (sent.Outcome) {
        case kex::ForwardOutcome::Delivered: return EXIT_SUCCESS;
        case kex::ForwardOutcome::Refused:
        case kex::ForwardOutcome::NoAnswer: std::cerr << "kexbar: " << sent.Message << "\n"; return EXIT_FAILURE;
        case kex::ForwardOutcome::NoBar: break;
        }
    }

    int result = EXIT_FAILURE;
    try {
        // The window gets the suffix as found (the login name of "/n" included) and the
        // mode.
        kex::MainWindow form(platform, dialogs, kex::WindowArguments(commandLine), &activation);
        dialogs.SetOwner(&form);
        if (!form.StartsHidden())
            form.show();
        // The bar's own request is carried out once the bar stands, as one from the
        // bus would be; requests that came while it started follow it.
        if (commandLine.Request) {
            const std::string refusal = activation.Request(*commandLine.Request);
            if (!refusal.empty())
                std::cerr << "kexbar: " << refusal << "\n";
        }
        activation.Open();
        result = app.exec();
        dialogs.SetOwner(nullptr);
    } catch (const std::exception& e) {
        // The start-up pass goes on past the errors it expects; anything else is shown
        // and ends the program in order.
        dialogs.SetOwner(nullptr);
        dialogs.MessageDlg(e.what(), kex::MessageType::mtError, kex::mbOK, 0);
    }
    errorReporter = nullptr;
    return result;
}
