#pragma once

#include "core/ActionQueue.h"

#include <QList>
#include <QObject>
#include <functional>

class QAction;
class QMenuBar;

namespace corvantis {

class AppCore;
class PanelListening;
class WebListening;

// The main window's menus. The File entries are the window's to answer (signals); the
// Data entries and the firmware version talk to the routers and go straight onto the
// core's action path; Help and About are handed to MainWindowHelp.
class MainMenus : public QObject {
    Q_OBJECT

public:
    MainMenus(AppCore &core, QMenuBar &bar, QObject *parent = nullptr);

    QAction &help() const { return *m_mnuHelp; }
    QAction &about() const { return *m_mnuAbout; }
    // Offers File > Control Panels... for these servers' listening choices and the web panel's.
    void setPanelListening(const QList<PanelListening *> &listening, WebListening *web);

signals:
    void loadConfigRequested();
    void saveConfigRequested();
    void saveConfigAsRequested();
    void setupRequested();
    void exitRequested();
    // A name being typed is to be committed before the file menu acts on names.
    void fileMenuOpening();

private:
    // A failure is reported under the title.
    void onLine(const char *title, ActionQueue::Action action);
    void syncModeChecks();
    void importNames();
    void exportNames();
    void chooseControlPanels();

    AppCore &m_core;
    QAction *m_mnuRS = nullptr;
    QAction *m_mnuIR = nullptr;
    QAction *m_mnuHelp = nullptr;
    QAction *m_mnuAbout = nullptr;
    QAction *m_mnuControlPanels = nullptr;
    QList<PanelListening *> m_listening;
    WebListening *m_web = nullptr;
};

} // namespace corvantis
