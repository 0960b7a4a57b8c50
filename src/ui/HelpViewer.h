#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QListWidget;
class QTextBrowser;
class QToolButton;
class QUrl;

namespace corvantis {

// The operator's guide: numbered HTML topics ("topic1001.html" ...) shipped in a folder
// "help" beside the program or in its installed share folder, shown in a window of their own
// with a contents list. Links to other topics stay in the window; mail and web links open
// through the platform seam.
class HelpViewer : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMainWindowTopic = 1001;
    static constexpr int kOneRouterTopic = 1002;
    static constexpr int kMacrosTopic = 1003;
    static constexpr int kSeveralRoutersTopic = 1010;
    static constexpr int kMappingTopic = 1011;
    static constexpr const char *kMissingMessage =
        "Help file cannot be found.  Try reinstalling the application";

    // An empty folder is looked for beside the program each time a topic is asked for, so a
    // guide installed while the program runs is found.
    explicit HelpViewer(QWidget *parent = nullptr, const QString &folder = {});

    // Shows the window at the topic, above a modal dialog when one is open. False, after the
    // message that the help cannot be found, when the topic's file is missing.
    bool showTopic(int topic);
    // The topic on show, -1 before the first.
    int currentTopic() const;
    QString helpFolder() const;

    static QString TopicFileName(int topic);
    // Where the guide may lie, most likely first: "help" beside the program, then the share
    // folder of an installation (<prefix>/bin/corvantis, <prefix>/share/corvantis/help).
    static QStringList CandidateFolders(const QString &programFolder);
    // The first candidate that holds the main window's topic; empty when none does.
    static QString FindHelpFolder(const QString &programFolder);

private:
    void fillContents();
    void linkClicked(const QUrl &url);
    void sourceChanged(const QUrl &url);
    void showAboveModalDialogs();

    QString m_folder;
    QListWidget *m_lstTopics = nullptr;
    QTextBrowser *m_txtHelp = nullptr;
    QToolButton *m_btnBack = nullptr;
    QToolButton *m_btnForward = nullptr;
    QToolButton *m_btnHome = nullptr;
};

} // namespace corvantis
