// kexbar-config FILE COMMAND ARGS...: the configuration file from the command line,
// with the bar's own rules and lock. A command that changes the pages or any button
// record tells the bars running on that file to reload at once, over the bars' own
// D-Bus message, which names the file so that bars of other files leave it alone.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "core/config/ConfigTool.h"
#include "core/config/Settings.h"
#include "core/import/ProgramImport.h"
#include "core/window/Startup.h"
#include "platform/AppMenu.h"
#include "platform/MessageBus.h"

namespace {

// The suffix of a bar's configuration file "KX<suffix>.INI"; nothing for another name.
std::optional<std::string> BarSuffixOf(const std::string& file)
{
    const std::string name = file.substr(file.rfind('/') + 1);
    const std::string prefix = "KX", extension = ".INI";
    if (name.size() < prefix.size() + extension.size() || name.compare(0, prefix.size(), prefix) != 0
        || name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return std::nullopt;
    return name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
}

// Sends the reload message to every bar on the session bus; nothing without a bus.
void TellBarsToReload(int argc, char** argv, const kex::BarMessage& message)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.send(kex::DBusMessageBus::Signal(message));
    // A call answered by the bus comes back only after the signal before it has left.
    bus.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                            "GetId"));
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv, argv + argc);
    kex::SetConfigGroupSource([] { return std::make_unique<kex::AppMenuSource>(); });
    const std::string file = kex::ConfigurationFileOf(args);
    const std::optional<std::string> suffix = file.empty() ? std::nullopt : BarSuffixOf(file);
    kex::ConfigToolFiles files;
    const int rc = kex::RunConfigTool(args, std::cout, std::cerr, suffix ? &files : nullptr);
    std::cout.flush();
    // A command that wrote nothing left the very text it found.
    if (rc == kex::kConfigOk && suffix && files.before && files.after && files.before != files.after
        && kex::ButtonsDiffer(*files.before, *files.after))
        TellBarsToReload(argc, argv, {kex::LoadMessageName(*suffix), 1, kex::ConfigurationIdentity(file)});
    return rc;
}
