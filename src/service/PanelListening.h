#pragma once

#include <QObject>
#include <QString>

namespace corvantis {

class ControlServer;

// Whether and where the window runs one control server. Off unless the operator turns it on;
// the choice is kept in the user's settings for the next start.
class PanelListening : public QObject {
    Q_OBJECT

public:
    // A server as the settings, the window and its messages name it.
    struct Protocol {
        const char *settingsGroup;
        const char *clients;
        quint16 defaultPort;
    };
    static const Protocol kTextPanels;
    static const Protocol kSwp08Controllers;

    struct Choice {
        bool enabled = false;
        QString address;
        bool operator==(const Choice &) const = default;
    };

    PanelListening(ControlServer &server, const Protocol &protocol, QObject *parent = nullptr);

    // HOST:PORT or [IPv6]:PORT; false when the text is neither.
    static bool parseAddress(const QString &text, QString &host, quint16 &port);
    const Protocol &protocol() const { return m_protocol; }
    Choice stored() const;
    Choice current() const { return m_current; }

    // Listens as chosen (or stops) and, when store is set, keeps the choice. Empty when done;
    // otherwise why not, and the server goes on as it was.
    QString apply(const Choice &choice, bool store = true);

private:
    QString key(const char *name) const;

    ControlServer &m_server;
    const Protocol &m_protocol;
    Choice m_current;
};

} // namespace corvantis
