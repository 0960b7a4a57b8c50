#pragma once

#include "link/EdidTransfer.h"

#include <QDialog>
#include <QString>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvantis {

class AppCore;

// "EDID Download Progress...": starts one EDID download as an action on the core's path when
// it is first shown, and presents its status, progress and outcome. OK and Cancel both close it;
// Cancel stops a download before its next block and is unavailable while the router writes.
class frmEdidDownload : public QDialog {
    Q_OBJECT

public:
    frmEdidDownload(AppCore &core, int frameAddress, const QString &path,
                    const QString &comPortName, QWidget *parent = nullptr);

    const EdidTransfer &transfer() const { return *m_transfer; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void startDownload();
    void showStatus(const QString &text, int colour);
    void showProgress(int value, int maximum, const QString &percent);

    AppCore &m_core;
    // Shared with the action, which may still be on the line when the window has gone.
    std::shared_ptr<EdidTransfer> m_transfer;
    int m_frameAddress;
    QString m_path;
    QString m_comPortName;
    QLabel *m_lblStatus = nullptr;
    QProgressBar *m_pbrEdidDownload = nullptr;
    QLabel *m_lblProgress = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    bool m_started = false;
};

} // namespace corvantis
