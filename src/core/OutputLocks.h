#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <array>

namespace corvantis {

// Who holds each logical output. A held output is routed only by its holder; the others see
// it locked. Owner ids are kThisComputer for the window and its macros, and newOwner() for each
// network client, whichever server it came through, so no two clients ever share one; a server
// may give its clients names ("web 192.168.1.20").
class OutputLocks : public QObject {
    Q_OBJECT

public:
    static constexpr int kNobody = -1;
    static constexpr int kThisComputer = 0;
    static constexpr int kOutputs = 128;

    explicit OutputLocks(QObject *parent = nullptr);

    // An owner id nobody had before: 1, 2, ...
    int newOwner() { return ++m_lastOwner; }

    // kNobody for a free output and for a number outside 0 to 127.
    int holder(int output) const;
    // The holder as the window names it: "this computer", the name its server gave it, or
    // "network panel n".
    QString holderName(int owner) const;
    // An empty name forgets it.
    void setOwnerName(int owner, const QString &name);
    // True when someone other than owner holds the output.
    bool lockedAgainst(int output, int owner) const;

    // False when someone else holds it or the number lies outside 0 to 127.
    bool lock(int output, int owner);
    // Releases owner's own lock; false when someone else holds it. A free output stays free.
    bool unlock(int output, int owner);
    // Releases whoever holds it.
    void forceUnlock(int output);
    // Releases every lock of owner (a client that went away).
    void releaseAll(int owner);

signals:
    void changed(const QList<int> &outputs);

private:
    std::array<int, kOutputs> m_holders;
    QMap<int, QString> m_names;
    int m_lastOwner = kThisComputer;
};

} // namespace corvantis
