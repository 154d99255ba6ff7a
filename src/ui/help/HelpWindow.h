// HelpWindow: the bar's help viewer. Shows the help file Kexbar.HLP (HTML whose
// topics carry anchors "ctx" + help context number) in a small top-level window.
#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>

class QTextBrowser;
class QPushButton;

namespace kex {

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The help file to show; it is read when the window is next shown, and read
    // again whenever it has changed on disk.
    void SetHelpFile(const QString& path);
    QString HelpFile() const { return path_; }

    // Shows the window at the contents (help command 3: the top of the file).
    void ShowContents();
    // Shows the window at the topic of a help context (anchor "ctx" + context);
    // a context the file has no topic for shows the contents.
    void ShowContext(int context);

    // Whether the loaded help file holds an anchor of this name.
    bool HasAnchor(const QString& name) const;
    // Whether the help file could be read (false: the window shows why not).
    bool Loaded() const { return loaded_; }

    QTextBrowser* Browser() const { return browser_; }

private:
    bool Load();
    void Present();

    QTextBrowser* browser_ = nullptr;
    QPushButton* backButton_ = nullptr;
    QString path_;
    bool loaded_ = false;
    QString loadedPath_;
    QDateTime loadedStamp_;
};

} // namespace kex
