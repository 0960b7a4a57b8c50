#pragma once

#include "core/RouteReport.h"

#include <QDialog>

class QPushButton;

namespace corvantis {

class AppCore;

// The end of a salvo, macro or take that did not confirm every route: each route that failed
// or was skipped with why, and "Retry Failed" for those that failed. It does not block the
// window.
class RouteSummaryDialog : public QDialog {
    Q_OBJECT

public:
    RouteSummaryDialog(AppCore &core, const RouteReport &report, QWidget *parent = nullptr);

    // Opens a summary for each batch that ended with anything not confirmed.
    static void showFor(AppCore &core, QWidget *window);

private:
    RouteReport m_report;
};

} // namespace corvantis
