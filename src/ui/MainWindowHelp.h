#pragma once

#include <QObject>
#include <functional>

class QAction;
class QWidget;

namespace corvantis {

class HelpViewer;

// The main window's "&Corvantis Help" (F1) and "&About" entries: the operator's guide at the
// topic of what the operator is doing, and the about box. Dialogs that ask for a topic of
// their own (the setup dialog's F1 and extra help) are shown through showTopic.
class MainWindowHelp : public QObject {
    Q_OBJECT

public:
    // Takes over the window's help and about entries (help gets F1 unless it has a key);
    // contextTopic gives the window's topic at the moment help is asked for.
    MainWindowHelp(QWidget &window, QAction &help, QAction &about,
                   std::function<int()> contextTopic);

    bool showTopic(int topic);
    void showContextHelp();
    void showAbout();
    HelpViewer *viewer() const { return m_viewer; }

private:
    QWidget &m_window;
    std::function<int()> m_contextTopic;
    HelpViewer *m_viewer = nullptr;
};

} // namespace corvantis
