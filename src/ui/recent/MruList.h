// TMruList: a list of recently used entries shown as a block of menu items next to an
// anchor item, and kept in a section of a configuration file. It has no visual part of
// its own. The owner configures it, ends the configuring phase with Loaded(), then
// gives it entries and reacts to OnMruClick.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "core/InvalidOperation.h"
#include "core/recent/RecentEntries.h"

class QAction;
class QMenu;

namespace kex {

enum class TMruOptionsType : std::uint8_t {
    mrLineAfter,            // a separator after the items
    mrLineBefore,           // a separator before the items
    mrShortFileNames,       // captions show only the file-name part of an entry
    mrCheckFileExist,       // entries that are no existing files are neither loaded nor shown
    mrShowNumber,           // captions get an accelerator number
    mrTopSelected,          // an added or chosen entry moves to the top
    mrAutoSave,             // every change is written at once (and a refused one at the end)
    mrAutoLoad,             // loaded when configured and when the file or section changes
    mrDisableAnchorIfEmpty, // the anchor is disabled while nothing is shown
    mrHideAnchorIfEmpty,    // the anchor is hidden while nothing is shown
};

// A set of options.
class TMruOptions {
public:
    constexpr TMruOptions() = default;
    constexpr TMruOptions(std::initializer_list<TMruOptionsType> options)
    {
        for (TMruOptionsType o : options)
            bits_ |= Bit(o);
    }
    constexpr bool Contains(TMruOptionsType o) const { return (bits_ & Bit(o)) != 0; }
    constexpr bool operator==(const TMruOptions&) const = default;

private:
    static constexpr std::uint16_t Bit(TMruOptionsType o) { return std::uint16_t(1u << unsigned(o)); }
    std::uint16_t bits_ = 0;
};

enum class TMruStyle : std::uint8_t {
    msNormal,
    msHideSelected,  // the marked entry is not shown
    msCheckSelected, // the marked entry is shown with a check mark
};

enum class TMruPosition : std::uint8_t {
    mpAfter,   // the items follow the anchor in its menu
    mpBefore,  // the items precede the anchor
    mpNewMenu, // the items make the anchor's submenu
};

class TMruList : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultMaxShowCount = 9;
    static constexpr TMruOptions kDefaultOptions{TMruOptionsType::mrLineBefore, TMruOptionsType::mrCheckFileExist,
                                                 TMruOptionsType::mrShowNumber, TMruOptionsType::mrTopSelected,
                                                 TMruOptionsType::mrAutoSave,   TMruOptionsType::mrAutoLoad};

    explicit TMruList(QObject* owner = nullptr);
    // With mrAutoSave, a change whose write was refused is tried once more (another
    // bar's newer list is kept). The menu items go with the list.
    ~TMruList() override;

    // Settable at any time.
    int MaxSaveCount() const { return entries_.MaxSaveCount(); }
    void SetMaxSaveCount(int count) { entries_.SetMaxSaveCount(count); }
    // Empty: the program's own path with the extension ".INI".
    const std::string& IniFile() const { return iniFile_; }
    void SetIniFile(const std::string& fileName);
    const std::string& IniSection() const { return iniSection_; }
    void SetIniSection(const std::string& section);

    // Settable only while configuring; afterwards they throw EInvalidOperation
    // "Operation ist nur im Design-Modus möglich!". A negative count counts as 0.
    int MaxShowCount() const { return maxShow_; }
    void SetMaxShowCount(int count);
    QAction* Anchor() const { return anchor_; }
    void SetAnchor(QAction* anchor);
    TMruOptions Options() const { return options_; }
    void SetOptions(TMruOptions options);
    TMruStyle Style() const { return style_; }
    void SetStyle(TMruStyle style);
    TMruPosition Position() const { return position_; }
    void SetPosition(TMruPosition position);

    // Ends the configuring phase: checks the anchor (EInvalidOperation "Invalid
    // Anchor!" when it has no owner, or no menu while the items are to stand beside
    // it; the list then stays in the configuring phase), creates the MaxShowCount
    // items beside it, loads (mrAutoLoad) and shows the list. Each later opening of
    // the menu first takes the file's list when another bar changed it (mrAutoSave).
    void Loaded();
    bool Configuring() const { return configuring_; }

    // Changes of the list refresh the menu. With a store, a refused write throws
    // EIniWriteError after the list and the menu have changed.
    void Add(const std::string& item);
    void Unmark(const std::string& item);
    void Replace(const std::string& oldItem, const std::string& newItem);
    int IndexOf(const std::string& item) const { return entries_.IndexOf(item); }
    // Empties the list in memory, after the owner erased its section in the file.
    void Clear();
    void Load();
    void Save();
    // Re-captions, shows and hides the items; only while the anchor is valid.
    void Refresh();
    // Takes the file's list when another bar changed it (with mrAutoSave) and shows it;
    // an unreadable file leaves the list as it is. The anchor's menu does this each
    // time it is about to show.
    void RefreshFromFile();

    const std::vector<RecentEntry>& Entries() const { return entries_.Entries(); }
    // The file the list is kept in.
    std::string FileName() const;

Q_SIGNALS:
    // An item was chosen; item is its entry.
    void OnMruClick(kex::TMruList* sender, const std::string& item);

private:
    void RequireConfiguring() const;
    bool AnchorValid() const;
    QMenu* AnchorMenu() const;
    void UseStore();
    // Runs a change and refreshes the menu, also when the change throws.
    void Changed(const std::function<void()>& change);
    void ItemClicked(int item);
    QString Caption(const std::string& entry, int shown) const;

    RecentEntries entries_;
    int maxShow_ = kDefaultMaxShowCount;
    std::string iniFile_, iniSection_;
    QPointer<QAction> anchor_;
    TMruOptions options_ = kDefaultOptions;
    TMruStyle style_ = TMruStyle::msHideSelected;
    TMruPosition position_ = TMruPosition::mpAfter;
    bool configuring_ = true;

    // Object names of the items: "_" + stamp + index, the separators "_" + stamp +
    // "A" (before) and "P" (after).
    qint64 stamp_;
    QList<QPointer<QAction>> items_;
    QPointer<QAction> lineBefore_, lineAfter_;
    // The anchor's submenu when the list made it (mpNewMenu).
    QPointer<QMenu> ownMenu_;
};

} // namespace kex
