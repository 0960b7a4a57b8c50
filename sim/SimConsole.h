#pragma once

#include <QString>
#include <QStringList>

namespace corvantis {

class VirtualRouterLine;

// The operator's commands to a running virtual line, one text line each.
class SimConsole {
public:
    explicit SimConsole(VirtualRouterLine &line);

    // Carries out one command and returns what to print (empty for an empty line).
    QString execute(const QString &commandLine);
    bool quitRequested() const { return m_quit; }
    static QString helpText();

private:
    QString route(const QStringList &words);
    QString disconnect(const QStringList &words);
    QString dump() const;
    QString stats() const;
    QString setSwitch(const QStringList &words);
    QString setNumber(const QStringList &words);

    VirtualRouterLine &m_line;
    bool m_quit = false;
};

} // namespace corvantis
