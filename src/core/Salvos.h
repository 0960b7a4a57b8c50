#pragma once

#include "core/OutputLocks.h"
#include "core/RouteRequest.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace corvantis {

class AppCore;

// Named lists of routes fired as one action. They are kept in a file of their own beside the
// configuration ("Studio.cfg" keeps its salvos in "Studio.salvos"), so the configuration file
// stays as other programs read it. Every change is an action on the core's path and is saved
// at once.
class Salvos : public QObject {
    Q_OBJECT

public:
    struct Salvo {
        QString name;
        QList<RouteRequest> routes;
    };
    // What a read of a salvo file found.
    struct Parsed {
        QList<Salvo> salvos;
        // "line 7: ..." for each line that was left out.
        QStringList problems;
    };

    static constexpr int kMaxNameLength = 64;
    static constexpr const char *kFileHeader = "Corvantis salvos";

    explicit Salvos(AppCore &core, QObject *parent = nullptr);

    static QString pathFor(const QString &configurationPath);
    static Parsed parse(const QByteArray &text);
    static QByteArray format(const QList<Salvo> &salvos);

    const QList<Salvo> &all() const { return m_salvos; }
    const Salvo *find(const QString &name) const;
    QString path() const { return m_path; }
    // Empty when a salvo may be stored under the name, otherwise why not.
    QString nameRefusal(const QString &name, const QString &renaming = {}) const;

    // The operator's actions; each is refused with a message on the error line when the name
    // is taken or not allowed by the time it runs.
    void StorePresets(const QString &name);
    // The routes the chosen outputs (logical, 0-based) hold now; outputs whose routing is not
    // known are left out and named.
    void StoreSnapshot(const QString &name, const QList<int> &logicalOutputs);
    void Rename(const QString &from, const QString &to);
    void Remove(const QString &name);
    // Sends every route of the salvo as one action, skipping locked outputs and going on past
    // failures; the core reports its progress and its summary. Outputs locked against owner
    // are skipped. False when it was refused.
    bool Fire(const QString &name, int owner = OutputLocks::kThisComputer);

    // Reads the salvos beside the configuration in use.
    void reload();

signals:
    void changed();

private:
    void store(const QString &name, QList<RouteRequest> routes, const QString &left = {});
    bool save();

    AppCore &m_core;
    QString m_path;
    QList<Salvo> m_salvos;
    // The file held lines this program could not read: they are kept in a copy before the
    // first save replaces it.
    bool m_keepOriginal = false;
    QDateTime m_fileTime;
};

} // namespace corvantis
