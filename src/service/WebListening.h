#pragma once

#include "web/WebServer.h"

#include <QObject>
#include <QString>

namespace corvantis {

// Whether and where the web panel is served, with which certificate, and whether pages
// without the PIN may view. Off unless chosen; the window keeps the choice in the user's
// settings, and the PIN's hash beside it, which the service reads too.
class WebListening : public QObject {
    Q_OBJECT

public:
    struct Choice {
        bool enabled = false;
        QString address = QStringLiteral("127.0.0.1:%1").arg(WebServer::kDefaultPort);
        // PEM files; both empty: plain HTTP.
        QString certificate;
        QString key;
        bool viewing = true;
        bool operator==(const Choice &) const = default;
    };

    explicit WebListening(WebServer &server, QObject *parent = nullptr);

    static Choice stored();
    // Empty when no PIN is set.
    static QString storedPinHash();
    // Keeps the hash of a new PIN, or forgets the PIN when empty. Empty when done; otherwise
    // why the PIN cannot be used.
    static QString storePin(const QString &pin);
    Choice current() const { return m_current; }

    // Serves as chosen (or stops) with the stored PIN and, when store is set, keeps the
    // choice. Empty when done; otherwise why not, and the server goes on as it was.
    QString apply(const Choice &choice, bool store = true);

private:
    WebServer &m_server;
    Choice m_current;
};

} // namespace corvantis
