#pragma once

#include <QObject>

class QMenu;
class QWidget;

namespace corvantis {

class AppCore;

// The Salvos menu: one entry per stored salvo, which fires it, then storing the presets or the
// routing of chosen outputs as a salvo, renaming and deleting. What it asks goes to the core's
// salvos, which put every change on the action path.
class SalvoMenu : public QObject {
    Q_OBJECT

public:
    SalvoMenu(AppCore &core, QMenu &menu, QObject *parent = nullptr);

private:
    void rebuild();
    void storePresets();
    void storeOutputs();
    void renameSalvo();
    void deleteSalvo();
    // A name the salvos accept, asked until it is or the operator cancels; empty then.
    QString askName(const QString &title, const QString &suggestion, const QString &renaming = {});
    // The salvo the operator picks from the list; empty when cancelled.
    QString chooseSalvo(const QString &title);
    QWidget *window() const;

    AppCore &m_core;
    QMenu &m_menu;
};

} // namespace corvantis
