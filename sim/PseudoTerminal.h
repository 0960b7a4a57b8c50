#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace corvantis {

// The master side of a pseudo-terminal in raw mode, optionally with a symbolic link to its
// device. While no program holds the device open, the master reports a hang-up on every
// poll; reading then pauses and the device is looked at a few times a second instead, and
// bytes written meanwhile are dropped, as on a line nobody listens to.
class PseudoTerminal : public QObject {
    Q_OBJECT

public:
    explicit PseudoTerminal(QObject *parent = nullptr);
    ~PseudoTerminal() override;

    // An existing symbolic link at linkPath is replaced; any other file there is left alone
    // and makes the call fail.
    bool open(const QString &linkPath, QString *error);
    // Removes the link only while it still points to this device.
    void close();

    bool isOpen() const { return m_fd >= 0; }
    bool isAttached() const { return m_attached; }
    QString devicePath() const { return m_devicePath; }
    QString linkPath() const { return m_linkPath; }

    void write(const QByteArray &bytes);

Q_SIGNALS:
    void bytesRead(const QByteArray &bytes);
    void attachedChanged(bool attached);

private:
    bool createLink(const QString &linkPath, QString *error);
    void removeLink();
    void readAvailable();
    void checkHangUp();
    void flushPending();
    void setAttached(bool attached);

    int m_fd = -1;
    QString m_devicePath;
    QString m_linkPath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer m_hangUpPoll;
    QByteArray m_pending;
    bool m_attached = false;
};

} // namespace corvantis
