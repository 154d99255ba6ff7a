// A scripted TDialogs: answers in order what the test queued and records what was
// asked, so that a test can say which message was shown with which buttons.
#pragma once

#include <functional>
#include <utility>

#include <QAction>
#include <QMenu>

#include <deque>

#include "ui/dialogs/Dialogs.h"

namespace kex {

class FakeDialogs : public TDialogs {
public:
    struct Message {
        std::string text;
        MessageType type;
        unsigned buttons;
        int helpContext;
    };
    std::vector<Message> messages;
    std::deque<ModalResult> answers; // for MessageDlg; none queued answers mrNone
    std::vector<std::string> plainMessages, notices;

    std::vector<OpenDialogOptions> openDialogs;
    std::deque<std::vector<std::string>> files; // answers of OpenFiles; none queued: cancelled

    std::deque<std::optional<std::string>> directories;
    std::vector<std::string> directoryTitles, directoryStarts;
    std::vector<int> directoryContexts;

    struct ColorAsk {
        QColor initial;
        int helpContext;
        std::array<QColor, 16> custom; // the custom colours the dialog opened with
    };
    std::vector<ColorAsk> colorAsks;
    std::deque<std::optional<QColor>> colors;
    std::deque<std::array<QColor, 16>> customColorEdits; // applied to the palette when given

    struct PopupAsk {
        std::string menu;
        QPoint pos;
    };
    std::vector<PopupAsk> popups;
    std::deque<std::string> popupChoices; // objectName of the item to choose; "" chooses none
    std::function<void()> duringPopup;    // runs once while the next menu is open, before the choice

    std::string helpFile;
    std::vector<int> helpShown;

    ModalResult MessageDlg(const std::string& text, MessageType type, unsigned buttons, int helpContext) override
    {
        messages.push_back({text, type, buttons, helpContext});
        if (answers.empty())
            return ModalResult::mrNone;
        ModalResult r = answers.front();
        answers.pop_front();
        return r;
    }
    void ShowMessage(const std::string& text) override { plainMessages.push_back(text); }
    void Notify(const std::string& text) override { notices.push_back(text); }
    std::vector<std::string> OpenFiles(const OpenDialogOptions& options) override
    {
        openDialogs.push_back(options);
        if (files.empty())
            return {};
        auto r = files.front();
        files.pop_front();
        return r;
    }
    std::optional<std::string> SelectDirectory(const std::string& title, const std::string& start,
                                               int helpContext) override
    {
        directoryTitles.push_back(title);
        directoryStarts.push_back(start);
        directoryContexts.push_back(helpContext);
        if (directories.empty())
            return std::nullopt;
        auto r = directories.front();
        directories.pop_front();
        return r;
    }
    std::optional<QColor> ChooseColor(const QColor& initial, std::array<QColor, 16>& custom, int helpContext) override
    {
        colorAsks.push_back({initial, helpContext, custom});
        if (!customColorEdits.empty()) {
            custom = customColorEdits.front();
            customColorEdits.pop_front();
        }
        if (colors.empty())
            return std::nullopt;
        auto r = colors.front();
        colors.pop_front();
        return r;
    }
    QAction* Popup(QMenu* menu, const QPoint& pos) override
    {
        popups.push_back({menu->objectName().toStdString(), pos});
        if (duringPopup)
            std::exchange(duringPopup, nullptr)();
        if (popupChoices.empty())
            return nullptr;
        std::string choice = popupChoices.front();
        popupChoices.pop_front();
        if (choice.empty())
            return nullptr;
        QAction* action = menu->findChild<QAction*>(QString::fromStdString(choice));
        if (action && action->isEnabled())
            action->trigger();
        return action;
    }
    void SetHelpFile(const std::string& path) override { helpFile = path; }
    void ShowHelp(int context) override { helpShown.push_back(context); }
};

} // namespace kex
