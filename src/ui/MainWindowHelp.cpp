#include "ui/MainWindowHelp.h"

#include "ui/HelpViewer.h"
#include "ui/frmAbout.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace corvantis {

MainWindowHelp::MainWindowHelp(QWidget &window, QAction &help, QAction &about,
                               std::function<int()> contextTopic)
    : QObject(&window), m_window(window), m_contextTopic(std::move(contextTopic)),
      m_viewer(new HelpViewer(&window))
{
    if (help.shortcut().isEmpty())
        help.setShortcut(QKeySequence(Qt::Key_F1));
    connect(&help, &QAction::triggered, this, &MainWindowHelp::showContextHelp);
    connect(&about, &QAction::triggered, this, &MainWindowHelp::showAbout);
}

bool MainWindowHelp::showTopic(int topic)
{
    return m_viewer->showTopic(topic);
}

void MainWindowHelp::showContextHelp()
{
    showTopic(m_contextTopic ? m_contextTopic() : HelpViewer::kMainWindowTopic);
}

void MainWindowHelp::showAbout()
{
    frmAbout about(&m_window);
    about.exec();
}

} // namespace corvantis
