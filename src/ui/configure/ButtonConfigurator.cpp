// The configure submenu's commands, dropped files and the icon picker.
#include "ui/configure/ButtonConfigurator.h"

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

#include <sys/stat.h>

#include "core/bar/BarStore.h"
#include "core/launch/CommandLine.h"
#include "core/launch/ShellLink.h"
#include "platform/TPlatform.h"
#include "ui/configure/IconPicker.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/pages/ButtonFaces.h"
#include "ui/widgets/SpeedButton.h"
#include "core/window/StartupSettings.h"
#include "ui/window/BarContext.h"
#include "ui/widgets/MenuText.h"
#include "ui/window/BarMenus.h"

namespace kex {

namespace {

constexpr int kIconHelp = 14;
constexpr int kFilesHelp = 24;
constexpr int kWorkingHelp = 28;
constexpr int kSoundHelp = 31;

constexpr const char* kIconFilter =
    "Icon File Types|*.ico;*.exe;*.dll;*.png;*.svg;*.xpm;*.bmp;*.desktop|Icon (*.ico)|*.ico|Program (*.exe)|*.exe|"
    "Dynamic Link Lib (*.dll)|*.dll|Image (*.png;*.svg;*.xpm;*.bmp)|*.png;*.svg;*.xpm;*.bmp|"
    "Desktop Entry (*.desktop)|*.desktop|All Files|*.*";
constexpr const char* kSoundFilter = "Sound Files|*.WAV;*.OGG;*.OGA|All Files|*.*";
constexpr const char* kProgramFilter = "Programs|*.EXE;*.COM;*.BAT;*.PIF";

constexpr ButtonConfigurator::SoundItem kLaunchSound{"Sound on &Launch", ButtonConfigurator::SoundItem::Button,
                                                     ButtonSetting::SoundLaunch};
constexpr ButtonConfigurator::SoundItem kSelectSound{"Sound on &Keyboard Select", ButtonConfigurator::SoundItem::Button,
                                                     ButtonSetting::SoundSelect};
constexpr ButtonConfigurator::SoundItem kHourSound{"Hour &Sound", ButtonConfigurator::SoundItem::HourChime, {}};
constexpr ButtonConfigurator::SoundItem kHalfHourSound{
    "H&alf Hour Sound", ButtonConfigurator::SoundItem::HalfHourChime, {}};

bool IsFile(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// A shortcut's target as a file of this machine: a bare program name (a desktop
// entry's Exec) is looked for on PATH; a target that names no file here (a Windows
// path) gives nothing.
std::string LocalTarget(const std::string& target)
{
    if (target.empty())
        return {};
    if (target.find('/') == std::string::npos)
        return QStandardPaths::findExecutable(QString::fromStdString(target)).toStdString();
    return IsFile(target) ? target : std::string();
}

} // namespace

std::vector<std::string> DroppedFiles(const QMimeData* mime)
{
    std::vector<std::string> files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls()) {
        // "file://localhost/x" names this machine's /x (QUrl::toLocalFile would make it
        // "//localhost/x"); any other host is not this machine.
        const bool thisMachine = url.host().isEmpty() || url.host().compare("localhost", Qt::CaseInsensitive) == 0;
        if (url.scheme() != "file" || !thisMachine)
            continue;
        // A file name is bytes: decoded from the URL's own percent-encoding, so that a
        // name that is not UTF-8 stays the name of its file (decoding it as text would
        // put replacement characters in its place).
        const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (path.startsWith('/'))
            files.push_back(path.toStdString());
    }
    return files;
}

ButtonConfigurator::ButtonConfigurator(BarContext& context, const StartupSettings& settings, const BarMenus& menus,
                                       LaunchPages& pages, InlinePrompt& prompt, ButtonFaces& faces,
                                       IconIndexPicker& picker, QObject* parent)
    : QObject(parent), context_(context), store_(context.store), platform_(context.platform), dialogs_(context.dialogs),
      settings_(settings), menus_(menus), pages_(pages), prompt_(prompt), faces_(faces), picker_(picker)
{
    setObjectName("ButtonConfigurator");
    Connect(menus_.ChangeIcon(), [this](QAction*, bool) { ChangeIcon(); });
    Connect(menus_.ChangeDescription(), [this](QAction*, bool) { ChangeName(); });
    Connect(menus_.ChangeParameter(), [this](QAction*, bool) { ChangeParameter(); });
    Connect(menus_.ButtonShrink(), [this](QAction*, bool on) { ShrinkOnLaunch(on); });
    Connect(menus_.WorkingDirectory(), [this](QAction* a, bool on) { SelectDirectory(a, on); });
    Connect(menus_.SelectFiles(), [this](QAction* a, bool on) { SelectDirectory(a, on); });
    const std::pair<QAction*, const SoundItem*> sounds[] = {{menus_.SoundOnLaunch(), &kLaunchSound},
                                                            {menus_.SoundOnSelect(), &kSelectSound},
                                                            {menus_.HourSound(), &kHourSound},
                                                            {menus_.HalfHourSound(), &kHalfHourSound}};
    for (const auto& [item, sound] : sounds)
        Connect(item, [this, sound = sound](QAction* a, bool on) { SoundSelect(a, on, *sound); });
    // The submenu and its items show now that they work; the clock's sound items show
    // with the clock.
    for (QAction* item : {menus_.ConfigureButton(), menus_.ChangeIcon(), menus_.ChangeDescription(),
                          menus_.ChangeParameter(), menus_.ButtonShrink(), menus_.WorkingDirectory(),
                          menus_.SelectFiles(), menus_.SoundOnLaunch(), menus_.SoundOnSelect()})
        if (item)
            item->setVisible(true);
}

ButtonConfigurator::~ButtonConfigurator() = default;

void ButtonConfigurator::Connect(QAction* item, std::function<void(QAction*, bool)> handler)
{
    if (!item)
        return;
    // A checkable item has taken its new check mark when it is triggered.
    connect(item, &QAction::triggered, this,
            [this, item, handler](bool on) { context_.guard.Guarded([&] { handler(item, on); }); });
}

void ButtonConfigurator::ShowSound(QAction* item, const char* caption, const std::string& file)
{
    item->setChecked(!file.empty());
    item->setText(QString(caption) + (file.empty() ? QString() : " = " + MenuCaption(PathFileName(file))));
}

void ButtonConfigurator::MenuAboutToShow(int, const ButtonRecord& record)
{
    menus_.SelectFiles()->setChecked(!record.Select.empty());
    menus_.WorkingDirectory()->setChecked(!record.Working.empty());
    ShowSound(menus_.SoundOnLaunch(), kLaunchSound.caption, record.SoundLaunch);
    ShowSound(menus_.SoundOnSelect(), kSelectSound.caption, record.SoundSelect);
    menus_.ButtonShrink()->setChecked(
        record.ShrinkChoice().value_or(record.Shrink.empty() && settings_.shrinkOnLaunch));
}

bool ButtonConfigurator::LoadedButton(int& n, ButtonRecord& record)
{
    n = pages_.MenuButton();
    record = store_.Record(n);
    return !record.Program.empty();
}

bool ButtonConfigurator::StillLoaded(int n, ButtonRecord& record)
{
    if (!pages_.EnsureCurrent())
        return false;
    record = store_.Record(n);
    return !record.Program.empty();
}

// ------------------------------------------------------------------ the configure commands

void ButtonConfigurator::ChangeIcon()
{
    int n;
    ButtonRecord record;
    if (!LoadedButton(n, record))
        return;
    dialogs_.SetHelpFile(context_.HelpFile());
    OpenDialogOptions options;
    options.title = "Please select an Icon";
    options.filter = kIconFilter;
    options.initialDir = DirectoryPart(record.IconFile);
    options.helpContext = kIconHelp;
    const std::optional<std::string> chosen = dialogs_.OpenFile(options);
    if (!chosen)
        return;
    if (RefusedName(*chosen))
        return;
    // A file with several icons asks which one; the first is stored as no index.
    const std::string iconFile = ShortPathOf(*chosen);
    const int iconIndex = picker_.PickIconIndex(iconFile);
    if (!StillLoaded(n, record))
        return;
    record.IconFile = iconFile;
    record.IconIndex = iconIndex;
    store_.SaveIcon(n, iconFile, iconIndex);
    faces_.Show(pages_.FindButton(n), record);
    Q_EMIT FileChanged();
}

void ButtonConfigurator::ChangeName()
{
    int n;
    ButtonRecord record;
    if (LoadedButton(n, record))
        prompt_.OpenPrompt({"Enter New Description",
                            QString::fromStdString(record.Description.empty() ? record.Program : record.Description),
                            false, [this, n](const std::string& text) { DescriptionEntered(n, text); }, nullptr});
}

void ButtonConfigurator::ChangeParameter()
{
    int n;
    ButtonRecord record;
    if (LoadedButton(n, record))
        prompt_.OpenPrompt({"Enter Parameter", QString::fromStdString(record.Parameters), false,
                            [this, n](const std::string& text) { ParameterEntered(n, text); }, nullptr});
}

void ButtonConfigurator::DescriptionEntered(int n, const std::string& text)
{
    ButtonRecord record;
    if (text.empty() || !StillLoaded(n, record))
        return;
    store_.SaveButtonSetting(n, ButtonSetting::Description, text);
    // The description as stored (the store trims blanks and flattens line breaks), so
    // that the renamed recent entry is the one the next launch makes.
    Q_EMIT DescriptionChanged(n, record, store_.Record(n));
}

void ButtonConfigurator::ParameterEntered(int n, const std::string& text)
{
    ButtonRecord record;
    if (text.empty() || !StillLoaded(n, record))
        return;
    record.Parameters = ParametersFromEntry(text);
    store_.SaveParameters(n, record.Parameters);
    faces_.Show(pages_.FindButton(n), record);
}

void ButtonConfigurator::ShrinkOnLaunch(bool on)
{
    const int n = pages_.MenuButton();
    ButtonRecord record;
    if (!StillLoaded(n, record))
        return;
    store_.SaveButtonShrink(n, on);
    if (TSpeedButton* button = pages_.FindButton(n))
        button->Shrink = on;
    Q_EMIT FileChanged();
}

void ButtonConfigurator::SelectDirectory(QAction* item, bool on)
{
    const bool working = item == menus_.WorkingDirectory();
    int n;
    ButtonRecord record;
    if (!LoadedButton(n, record))
        return;
    // Switched on: a directory from the dialog (none when it was cancelled); switched
    // off: none.
    std::string directory;
    if (on) {
        dialogs_.SetHelpFile(context_.HelpFile());
        const std::string& stored = working ? record.Working : record.Select;
        const std::optional<std::string> chosen = dialogs_.SelectDirectory(
            working ? "Select Working Directory" : "Select Files on Launch",
            stored.empty() ? DirectoryPart(record.Program) : ProgramOf(stored), working ? kWorkingHelp : kFilesHelp);
        if (chosen && !RefusedName(*chosen))
            directory = ShortPathOf(*chosen);
    }
    item->setChecked(!directory.empty());
    if (!StillLoaded(n, record))
        return;
    store_.SaveButtonSetting(n, working ? ButtonSetting::Working : ButtonSetting::Select, directory);
    Q_EMIT FileChanged();
}

void ButtonConfigurator::SoundSelect(QAction* item, bool on, const SoundItem& sound)
{
    const int n = pages_.MenuButton();
    // Switched on: the file chosen (none when the dialog was cancelled); switched off:
    // none. The check mark follows the stored file.
    std::string file;
    if (on) {
        dialogs_.SetHelpFile(context_.HelpFile());
        OpenDialogOptions options;
        options.title = "Select Sound to Play";
        options.filter = kSoundFilter;
        options.helpContext = kSoundHelp;
        file = dialogs_.OpenFile(options).value_or("");
        if (RefusedName(file))
            file.clear();
    }
    ShowSound(item, sound.caption, file);
    if (sound.kind == SoundItem::Button) {
        ButtonRecord record;
        if (!StillLoaded(n, record))
            return;
        store_.SaveButtonSetting(n, sound.setting, file);
    } else {
        const bool halfHour = sound.kind == SoundItem::HalfHourChime;
        Q_EMIT ChimeSoundChanged(halfHour, !file.empty());
        store_.SaveClockSound(halfHour, !file.empty(), file);
    }
    Q_EMIT FileChanged();
}

// ------------------------------------------------------------------ dropped files

bool ButtonConfigurator::Acceptable(const QMimeData* mime, const int* x) const
{
    if (pages_.MovePending() || DroppedFiles(mime).empty())
        return false;
    return !x || DropButton(pages_.DropGrid(), *x) != 0;
}

void ButtonConfigurator::TakeDrag(QDropEvent& drop)
{
    const int x = int(drop.position().x());
    // Entering anywhere is allowed (the pointer may enter over the panel); a move and
    // the drop must lie on a button. The files are copied, never moved: the source
    // must not delete them.
    const bool enter = drop.type() == QEvent::DragEnter;
    const Qt::DropActions actions = drop.possibleActions();
    const Qt::DropAction action = actions & Qt::CopyAction   ? Qt::CopyAction
                                  : actions & Qt::LinkAction ? Qt::LinkAction
                                                             : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction || !Acceptable(drop.mimeData(), enter ? nullptr : &x)) {
        drop.ignore();
        return;
    }
    drop.setDropAction(action);
    drop.accept();
    // The files are taken once the drop is over, so that the drag source is not held
    // while the bar asks questions.
    if (drop.type() == QEvent::Drop) {
        auto take = [this, files = DroppedFiles(drop.mimeData()), x] {
            context_.guard.Guarded([&] { DropFiles(files, x); });
        };
        QMetaObject::invokeMethod(this, take, Qt::QueuedConnection);
    }
}

void ButtonConfigurator::DropFiles(const std::vector<std::string>& files, int x)
{
    const int n = DropButton(pages_.DropGrid(), x);
    // Not on the panel or beyond the last button, not while a move or copy waits, not
    // on pages another bar changed meanwhile.
    if (n == 0 || files.empty() || pages_.MovePending() || !pages_.EnsureCurrent())
        return;
    const ButtonRecord record = store_.Record(n);
    if (record.Program.empty()) {
        // An empty button is filled, not started; never while modifying is locked out.
        if (pages_.ModifyAllowed())
            FillFromDrop(n, files.front());
        return;
    }
    // A configured button starts its program with the files, in its working directory.
    const TSpeedButton* button = pages_.FindButton(n);
    Q_EMIT LaunchWithFilesRequested(n, record, FilesParameterList(files), button ? button->Shrink : std::nullopt);
}

bool ButtonConfigurator::RefusedName(const std::string& name)
{
    const std::optional<std::string> why = UnstorableName(name);
    if (why)
        dialogs_.MessageDlg(*why, MessageType::mtError, mbOK, 0);
    return why.has_value();
}

void ButtonConfigurator::FillFromDrop(int n, const std::string& file)
{
    // A file that is gone, or whose name the configuration cannot keep, fills nothing,
    // and the user learns why.
    if (!Exists(file)) {
        dialogs_.MessageDlg(FileNotFoundText(file), MessageType::mtError, mbOK, 0);
        return;
    }
    if (RefusedName(file))
        return;
    DroppedButton dropped;
    std::string document = file;
    std::string arguments;
    bool terminal = false;
    // A shortcut stands for its target, when that is a file of this machine; its icon
    // comes with it. Any other shortcut is a plain file.
    if (IsShortcutName(PathFileName(file))) {
        TShellLink link;
        link.SetUpdate(true);
        link.SetPath(file);
        const std::string target = link.Resolved() ? LocalTarget(link.Target()) : std::string();
        if (!target.empty()) {
            document = target;
            arguments = link.Arguments();
            terminal = link.Terminal();
            dropped.iconFile = ShortPathOf(link.IconLocation().empty() ? target : link.IconLocation());
            dropped.iconIndex = link.IconNumber();
        }
    }
    // The program that opens the file; when nothing does, the user may name one.
    std::vector<std::string> opener = platform_.OpenCommand(document);
    if (opener.empty()) {
        if (!IsFile(document))
            return;
        dialogs_.SetHelpFile(context_.HelpFile());
        OpenDialogOptions options;
        options.title = "Find the Program to run this File";
        options.filter = kProgramFilter;
        options.helpContext = kFilesHelp;
        const std::optional<std::string> chosen = dialogs_.OpenFile(options);
        if (!chosen)
            return;
        opener = platform_.OpenCommand(*chosen);
        if (opener.empty())
            return;
    }
    FileOpening opening = OpeningOf(opener, document);
    // A launcher of a program that runs in a terminal starts it in the user's
    // terminal, as a document of such a program does.
    if (terminal && opening.document.empty())
        opening.program = JoinCommandLine(platform_.TerminalCommand(opener));
    dropped.program = opening.program;
    // The document is the file dropped (or the shortcut's target); a shortcut to a
    // program keeps the shortcut's arguments.
    dropped.parameters = opening.document.empty() ? arguments : opening.document;
    if (dropped.program.empty())
        return;
    for (const std::string* stored : {&dropped.program, &dropped.parameters, &dropped.iconFile})
        if (RefusedName(*stored))
            return;
    if (!pages_.EnsureCurrent())
        return;
    if (!store_.FillButton(n, dropped)) {
        pages_.EnsureCurrent(); // another bar filled it meanwhile: the bar shows it
        return;
    }
    pages_.NoteLayout();
    ButtonRecord record;
    record.Program = dropped.program;
    record.Parameters = dropped.parameters;
    record.IconFile = dropped.iconFile;
    record.IconIndex = dropped.iconIndex;
    faces_.Show(pages_.FindButton(n), record);
    Q_EMIT FileChanged();
}

} // namespace kex
