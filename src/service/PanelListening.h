#pragma once

#include <QObject>
#include <QString>

namespace corvantis {

class PanelServer;

// Whether and where the window serves control panels. Off unless the operator turns it on;
// the choice is kept in the user's settings for the next start.
class PanelListening : public QObject {
    Q_OBJECT

public:
    struct Choice {
        bool enabled = false;
        QString address = QStringLiteral("127.0.0.1:9990");
        bool operator==(const Choice &) const = default;
    };

    explicit PanelListening(PanelServer &server, QObject *parent = nullptr);

    // HOST:PORT or [IPv6]:PORT; false when the text is neither.
    static bool parseAddress(const QString &text, QString &host, quint16 &port);
    static Choice stored();
    Choice current() const { return m_current; }

    // Listens as chosen (or stops) and, when store is set, keeps the choice. Empty when done;
    // otherwise why not, and the server goes on as it was.
    QString apply(const Choice &choice, bool store = true);

private:
    PanelServer &m_server;
    Choice m_current;
};

} // namespace corvantis
