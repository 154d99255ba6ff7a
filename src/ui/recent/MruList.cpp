// TMruList: the list's menu items beside its anchor, its configuring phase and its file.
#include "ui/recent/MruList.h"

#include <QAction>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>

#include <algorithm>
#include <chrono>

namespace kex {
namespace {

constexpr const char* kDesignOnly = "Operation ist nur im Design-Modus möglich!";
constexpr const char* kInvalidAnchor = "Invalid Anchor!";

// The system's tick count in milliseconds, made unique for every list of the process
// (so that two lists made within one tick name their items apart).
qint64 CreationStamp()
{
    static qint64 last = 0;
    const auto now =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    last = std::max<qint64>(now.count(), last + 1);
    return last;
}

// Entries are the same text when they are equal ignoring case in the user's locale.
// Text that is not UTF-8 (an old file's bytes) is compared ignoring ASCII case, so
// that two different byte strings never meet as the same replacement characters.
bool SameInUserLocale(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    const QByteArrayView av(a.data(), qsizetype(a.size()));
    const QByteArrayView bv(b.data(), qsizetype(b.size()));
    if (!av.isValidUtf8() || !bv.isValidUtf8())
        return SameName(a, b);
    const QLocale locale;
    return locale.toLower(QString::fromUtf8(av)) == locale.toLower(QString::fromUtf8(bv));
}

bool IsExistingFile(std::string_view entry)
{
    const QFileInfo info(QString::fromUtf8(entry.data(), qsizetype(entry.size())));
    return info.exists() && !info.isDir();
}

// A caption no wider than a menu should be: a longer text keeps its start and its end
// (where the bar's entries carry their button number) around an ellipsis, and no
// character is split.
QString ElidedCaption(const QString& text)
{
    constexpr qsizetype kMaxCaption = 64;
    if (text.size() <= kMaxCaption)
        return text;
    qsizetype head = (kMaxCaption - 1) / 2, tail = text.size() - (kMaxCaption - 1 - head);
    if (text[head - 1].isHighSurrogate())
        --head;
    if (text[tail].isLowSurrogate())
        ++tail;
    return text.left(head) + QChar(0x2026) + text.mid(tail);
}
} // namespace

TMruList::TMruList(QObject* owner) : QObject(owner), entries_(SameInUserLocale), stamp_(CreationStamp()) {}

TMruList::~TMruList()
{
    if (!configuring_ && options_.Contains(TMruOptionsType::mrAutoSave)) {
        try {
            entries_.SavePending();
        } catch (const std::exception&) {
            // The refusal was reported when the change was made; a destructor cannot.
        }
    }
    for (const QPointer<QAction>& item : std::as_const(items_))
        delete item.data();
    delete lineBefore_.data();
    delete lineAfter_.data();
    if (ownMenu_) {
        if (anchor_ && anchor_->menu() == ownMenu_)
            anchor_->setMenu(static_cast<QMenu*>(nullptr));
        delete ownMenu_.data();
    }
}

void TMruList::SetIniFile(const std::string& fileName)
{
    if (fileName == iniFile_)
        return;
    iniFile_ = fileName;
    UseStore();
}

void TMruList::SetIniSection(const std::string& section)
{
    if (section == iniSection_)
        return;
    iniSection_ = section;
    UseStore();
}

void TMruList::SetMaxShowCount(int count)
{
    RequireConfiguring();
    maxShow_ = std::max(count, 0);
}

void TMruList::SetAnchor(QAction* anchor)
{
    RequireConfiguring();
    anchor_ = anchor;
}

void TMruList::SetOptions(TMruOptions options)
{
    RequireConfiguring();
    options_ = options;
}

void TMruList::SetStyle(TMruStyle style)
{
    RequireConfiguring();
    style_ = style;
}

void TMruList::SetPosition(TMruPosition position)
{
    RequireConfiguring();
    position_ = position;
}

void TMruList::RequireConfiguring() const
{
    if (!configuring_)
        throw EInvalidOperation(kDesignOnly);
}

QMenu* TMruList::AnchorMenu() const
{
    if (!anchor_)
        return nullptr;
    for (QObject* o : anchor_->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(o))
            return menu;
    return nullptr;
}

bool TMruList::AnchorValid() const
{
    return anchor_ && anchor_->parent() && (position_ == TMruPosition::mpNewMenu || AnchorMenu());
}

void TMruList::Loaded()
{
    if (!configuring_)
        return;
    if (!AnchorValid())
        throw EInvalidOperation(kInvalidAnchor);

    // Where the block goes: before `first` in `menu` (at the end when there is none).
    QMenu* menu = nullptr;
    QAction* first = nullptr;
    if (position_ == TMruPosition::mpNewMenu) {
        menu = anchor_->menu();
        if (!menu) {
            ownMenu_ = new QMenu;
            anchor_->setMenu(ownMenu_.data());
            menu = ownMenu_;
        }
        first = menu->actions().value(0, nullptr);
    } else {
        menu = AnchorMenu();
        first = anchor_;
        if (position_ == TMruPosition::mpAfter) {
            const QList<QAction*> actions = menu->actions();
            first = actions.value(actions.indexOf(anchor_.data()) + 1, nullptr);
        }
    }

    QObject* owner = anchor_->parent();
    const QString prefix = "_" + QString::number(stamp_);
    auto make = [&](const QString& suffix) {
        auto* action = new QAction(owner);
        action->setObjectName(prefix + suffix);
        action->setVisible(false);
        return action;
    };
    for (int i = 0; i < maxShow_; ++i) {
        QAction* item = make(QString::number(i));
        connect(item, &QAction::triggered, this, [this, item] { ItemClicked(item->data().toInt()); });
        menu->insertAction(first, item);
        items_.append(item);
    }
    if (options_.Contains(TMruOptionsType::mrLineAfter)) {
        lineAfter_ = make("P");
        lineAfter_->setSeparator(true);
        menu->insertAction(first, lineAfter_);
    }
    if (options_.Contains(TMruOptionsType::mrLineBefore)) {
        lineBefore_ = make("A");
        lineBefore_->setSeparator(true);
        QAction* blockStart = !items_.isEmpty() ? items_.first().data() : lineAfter_ ? lineAfter_.data() : first;
        menu->insertAction(blockStart, lineBefore_);
    }
    connect(menu, &QMenu::aboutToShow, this, &TMruList::RefreshFromFile);

    configuring_ = false;
    entries_.SetSaveOnChange(options_.Contains(TMruOptionsType::mrAutoSave));
    if (options_.Contains(TMruOptionsType::mrCheckFileExist))
        entries_.SetKeep(IsExistingFile);
    UseStore();
    Refresh();
}

void TMruList::RefreshFromFile()
{
    if (configuring_)
        return;
    try {
        if (entries_.ReloadIfChanged())
            Refresh();
    } catch (const std::exception&) {
        // An unreadable file leaves the list shown as it is.
    }
}

void TMruList::UseStore()
{
    if (configuring_)
        return;
    entries_.SetStore(FileName(), iniSection_);
    if (options_.Contains(TMruOptionsType::mrAutoLoad))
        Load();
}

std::string TMruList::FileName() const
{
    if (!iniFile_.empty())
        return iniFile_;
    const QFileInfo program(QCoreApplication::applicationFilePath());
    return (program.path() + "/" + program.completeBaseName() + ".INI").toStdString();
}

void TMruList::Changed(const std::function<void()>& change)
{
    try {
        change();
    } catch (...) {
        Refresh();
        throw;
    }
    Refresh();
}

void TMruList::Add(const std::string& item)
{
    Changed([&] { entries_.Add(item, options_.Contains(TMruOptionsType::mrTopSelected)); });
}

void TMruList::Unmark(const std::string& item)
{
    entries_.Unmark(item);
    Refresh();
}

void TMruList::Replace(const std::string& oldItem, const std::string& newItem)
{
    Changed([&] { entries_.Replace(oldItem, newItem); });
}

void TMruList::Clear()
{
    entries_.Clear();
    Refresh();
}

void TMruList::Load()
{
    if (configuring_)
        return;
    Changed([&] { entries_.Load(); });
}

void TMruList::Save()
{
    if (!configuring_)
        entries_.Save();
}

QString TMruList::Caption(const std::string& entry, int shown) const
{
    QString text = QString::fromStdString(entry);
    if (options_.Contains(TMruOptionsType::mrShortFileNames))
        text = QFileInfo(text).fileName();
    text = ElidedCaption(text);
    // The entry shows as it is: "&" is no accelerator mark, a tab no shortcut column.
    text.replace('&', "&&").replace('\t', ' ');
    if (options_.Contains(TMruOptionsType::mrShowNumber))
        text = "&" + QString::number(shown + 1) + "  " + text;
    return text;
}

void TMruList::Refresh()
{
    if (configuring_ || !AnchorValid())
        return;
    QList<QAction*> items;
    for (const QPointer<QAction>& item : std::as_const(items_)) {
        if (item) {
            item->setVisible(false);
            item->setChecked(false);
            items.append(item);
        }
    }
    for (QAction* line : {lineBefore_.data(), lineAfter_.data()})
        if (line)
            line->setVisible(false);

    const bool check = style_ == TMruStyle::msCheckSelected;
    const std::vector<RecentEntry>& entries = entries_.Entries();
    int shown = 0;
    for (std::size_t i = 0; i < entries.size() && shown < items.size(); ++i) {
        const RecentEntry& e = entries[i];
        if (style_ == TMruStyle::msHideSelected && e.marked)
            continue;
        if (options_.Contains(TMruOptionsType::mrCheckFileExist) && !IsExistingFile(e.text))
            continue;
        QAction* item = items[shown];
        item->setText(Caption(e.text, shown));
        item->setCheckable(check);
        item->setChecked(check && e.marked);
        item->setData(int(i));
        item->setVisible(true);
        ++shown;
    }

    const bool any = shown > 0;
    if (any)
        for (QAction* line : {lineBefore_.data(), lineAfter_.data()})
            if (line)
                line->setVisible(true);
    if (options_.Contains(TMruOptionsType::mrDisableAnchorIfEmpty))
        anchor_->setEnabled(any);
    if (options_.Contains(TMruOptionsType::mrHideAnchorIfEmpty))
        anchor_->setVisible(any);
}

void TMruList::ItemClicked(int item)
{
    const std::vector<RecentEntry>& entries = entries_.Entries();
    if (item < 0 || std::size_t(item) >= entries.size())
        return;
    const std::string text = entries[std::size_t(item)].text;
    Q_EMIT OnMruClick(this, text);
}

} // namespace kex
