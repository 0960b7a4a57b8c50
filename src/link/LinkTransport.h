#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace corvantis {

// The byte pipe under the serial link: a local serial port or a connection to a device
// server. The link's framing, waits and resends sit above it and never ask which one it is.
class LinkTransport : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens the line, or starts opening it: true while isOpening() or once isOpen(); false
    // with errorString() set when the line cannot be reached. A transport that takes time
    // emits openFinished when it is open or has given up, within its connect bound.
    virtual bool open() = 0;
    virtual bool isOpening() const { return false; }
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues the bytes and starts sending them at once; false when they cannot go out.
    virtual bool write(const QByteArray &bytes) = 0;
    // Line data received so far (whatever the transport adds around it is already removed).
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesAvailable() const = 0;
    // Drops everything received, including what lower layers hold.
    virtual void clearInput() = 0;
    virtual QString errorString() const = 0;

signals:
    void readyRead();
    void openFinished();
    // The line went away while open; the owner closes the transport.
    // event: the transport's own error number, for the debug log.
    void errorOccurred(int event, const QString &text);
};

} // namespace corvantis
