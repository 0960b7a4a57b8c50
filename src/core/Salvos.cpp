#include "core/Salvos.h"

#include "core/AppCore.h"
#include "model/NameRule.h"
#include "util/Platform.h"
#include "util/Version.h"
#include "util/clsDebug.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <optional>

namespace corvantis {

namespace {

constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
const QByteArray kSalvoKey = "Salvo: ";
const QByteArray kRouteKey = "Route: ";

// "frame;output;input;levels", each a whole number in its range.
std::optional<RouteRequest> parseRoute(const QByteArray &fields, QString &why)
{
    const QList<QByteArray> parts = fields.split(';');
    if (parts.size() != 4) {
        why = QStringLiteral("a route has four fields: frame;output;input;levels");
        return std::nullopt;
    }
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) {
            why = QStringLiteral("\"%1\" is not a number").arg(QString::fromUtf8(parts[i]));
            return std::nullopt;
        }
    }
    const RouteRequest route{values[0], values[1], values[2], values[3]};
    if (route.frameAddress < 0 || route.frameAddress > 15 || route.output < 0 ||
        route.output > 255 || route.input < -1 || route.input > 255 || route.level < 1 ||
        route.level > 3) {
        why = QStringLiteral("a number is out of range");
        return std::nullopt;
    }
    return route;
}

} // namespace

Salvos::Salvos(AppCore &core, QObject *parent) : QObject(parent), m_core(core)
{
    connect(&core, &AppCore::configurationReplaced, this, [this] {
        // Read again when the configuration moved, or the file was changed by hand meanwhile.
        const QString path = pathFor(QString::fromStdString(m_core.settings().ConfigFilePath));
        if (path != m_path || QFileInfo(path).lastModified() != m_fileTime)
            reload();
    });
}

QString Salvos::pathFor(const QString &configurationPath)
{
    const QFileInfo config(configurationPath.isEmpty() ? QString::fromStdString(DefaultConfigPath())
                                                       : configurationPath);
    return config.dir().filePath(config.completeBaseName() + QStringLiteral(".salvos"));
}

Salvos::Parsed Salvos::parse(const QByteArray &text)
{
    Parsed parsed;
    QList<QByteArray> lines = text.split('\n');
    int number = 0;
    Salvo *current = nullptr;
    for (QByteArray line : lines) {
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (number == 1 && line == kFileHeader)
            continue;
        if (line.trimmed().isEmpty())
            continue;
        QString why;
        if (line.startsWith(kSalvoKey)) {
            const QString name = QString::fromUtf8(line.mid(kSalvoKey.size())).trimmed();
            const bool taken = std::any_of(parsed.salvos.begin(), parsed.salvos.end(),
                                           [&](const Salvo &s) { return s.name == name; });
            if (name.isEmpty() || name.size() > kMaxNameLength ||
                !IsAcceptableName(name.toStdString()) || taken) {
                why = QStringLiteral("the salvo name \"%1\" cannot be used").arg(name);
                current = nullptr;
            } else {
                parsed.salvos.append({name, {}});
                current = &parsed.salvos.last();
            }
        } else if (line.startsWith(kRouteKey)) {
            if (!current)
                why = QStringLiteral("a route outside any salvo");
            else if (const auto route = parseRoute(line.mid(kRouteKey.size()), why))
                current->routes.append(*route);
        } else {
            why = QStringLiteral("not a salvo or route line");
        }
        if (!why.isEmpty())
            parsed.problems << QStringLiteral("line %1: %2").arg(number).arg(why);
    }
    return parsed;
}

QByteArray Salvos::format(const QList<Salvo> &salvos)
{
    QByteArray text = QByteArray(kFileHeader) + '\n';
    for (const Salvo &salvo : salvos) {
        text += kSalvoKey + salvo.name.toUtf8() + '\n';
        for (const RouteRequest &r : salvo.routes)
            text += kRouteKey + QByteArray::number(r.frameAddress) + ';' +
                    QByteArray::number(r.output) + ';' + QByteArray::number(r.input) + ';' +
                    QByteArray::number(r.level) + '\n';
    }
    return text;
}

const Salvos::Salvo *Salvos::find(const QString &name) const
{
    const auto it = std::find_if(m_salvos.begin(), m_salvos.end(),
                                 [&](const Salvo &salvo) { return salvo.name == name; });
    return it == m_salvos.end() ? nullptr : &*it;
}

QString Salvos::nameRefusal(const QString &name, const QString &renaming) const
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("A salvo needs a name");
    if (name != name.trimmed())
        return QStringLiteral("A salvo name cannot start or end with a blank");
    if (name.size() > kMaxNameLength)
        return QStringLiteral("A salvo name has at most %1 characters").arg(kMaxNameLength);
    if (!IsAcceptableName(name.toStdString()))
        return QString::fromLatin1(kNameRefusal.data(), qsizetype(kNameRefusal.size()));
    if (name != renaming && find(name))
        return QStringLiteral("There is a salvo named \"%1\" already").arg(name);
    return {};
}

void Salvos::reload()
{
    m_path = pathFor(QString::fromStdString(m_core.settings().ConfigFilePath));
    m_salvos.clear();
    m_keepOriginal = false;
    m_fileTime = QFileInfo(m_path).lastModified();
    QFile file(m_path);
    if (file.exists()) {
        QString error;
        if (QFileInfo(file).size() > kMaxFileBytes)
            error = QStringLiteral("the file is larger than 4 MiB");
        else if (!file.open(QIODevice::ReadOnly))
            error = file.errorString();
        Parsed parsed;
        if (error.isEmpty())
            parsed = parse(file.readAll());
        else
            parsed.problems << error;
        m_salvos = parsed.salvos;
        if (!parsed.problems.isEmpty()) {
            m_keepOriginal = true;
            const QString text =
                QStringLiteral("Not everything in %1 could be read:\n%2\n\nThe original is kept as "
                               "%1.bak before it is next saved.")
                    .arg(QFileInfo(m_path).fileName(), parsed.problems.mid(0, 10).join('\n'));
            DebugLog().Log(text.toStdString(), {});
            platform().messageBox(text.toStdString(), kProgramTitle, MessageButtons::Ok,
                                  MessageIcon::Exclamation);
        }
    }
    emit changed();
}

bool Salvos::save()
{
    if (m_keepOriginal && QFile::exists(m_path)) {
        const QString backup = m_path + QStringLiteral(".bak");
        QFile::remove(backup);
        if (!QFile::copy(m_path, backup)) {
            m_core.link().SetErrMsg(
                QStringLiteral("Salvos not saved: %1 could not be kept as %2").arg(m_path, backup));
            return false;
        }
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(format(m_salvos)) < 0 || !file.commit()) {
        m_core.link().SetErrMsg(
            QStringLiteral("Salvos not saved to %1: %2").arg(m_path, file.errorString()));
        return false;
    }
    m_keepOriginal = false;
    m_fileTime = QFileInfo(m_path).lastModified();
    return true;
}

void Salvos::store(const QString &name, QList<RouteRequest> routes, const QString &left)
{
    if (const QString refusal = nameRefusal(name); !refusal.isEmpty()) {
        m_core.link().SetErrMsg(refusal);
        return;
    }
    if (routes.isEmpty()) {
        m_core.link().SetErrMsg(
            QStringLiteral("Salvo \"%1\" not stored: it has no routes%2").arg(name, left));
        return;
    }
    m_salvos.append({name, std::move(routes)});
    if (save())
        m_core.link().SetErrMsg(QStringLiteral("Salvo \"%1\" stored%2").arg(name, left));
    emit changed();
}

void Salvos::StorePresets(const QString &name)
{
    m_core.actions().Submit(QStringLiteral("Store salvo"), ActionQueue::Needs::Nothing,
                            [this, name] {
                                QList<RouteRequest> routes;
                                for (const TakePresets::Preset &p : m_core.presets().all())
                                    routes.append({p.frameAddress, p.output, p.input, p.levels});
                                store(name, std::move(routes));
                            });
}

void Salvos::StoreSnapshot(const QString &name, const QList<int> &logicalOutputs)
{
    m_core.actions().Submit(
        QStringLiteral("Store salvo"), ActionQueue::Needs::Nothing, [this, name, logicalOutputs] {
            QList<RouteRequest> routes;
            QStringList unknown;
            for (const int logical : logicalOutputs) {
                const PhysicalCrosspoint owner = m_core.LogicalCrosspoint(logical, 0);
                const clsRouteState *state =
                    owner.router ? owner.router->RouteState(owner.output) : nullptr;
                if (!state || state->Video() < 0) {
                    unknown << QString::number(logical + 1);
                    continue;
                }
                const int frame = owner.router->FrameAddress();
                if (owner.router->AudioBreakaway && state->Audio() != state->Video()) {
                    routes.append({frame, owner.output, state->Video(), AppCore::kVideo});
                    if (state->Audio() >= 0)
                        routes.append({frame, owner.output, state->Audio(), AppCore::kAudio});
                } else {
                    routes.append({frame, owner.output, state->Video(), AppCore::kAllLevels});
                }
            }
            const QString left =
                unknown.isEmpty()
                    ? QString()
                    : QStringLiteral("; outputs whose routing is not known left out: %1")
                          .arg(unknown.join(QStringLiteral(", ")));
            store(name, std::move(routes), left);
        });
}

void Salvos::Rename(const QString &from, const QString &to)
{
    m_core.actions().Submit(
        QStringLiteral("Rename salvo"), ActionQueue::Needs::Nothing, [this, from, to] {
            const auto it = std::find_if(m_salvos.begin(), m_salvos.end(),
                                         [&](const Salvo &salvo) { return salvo.name == from; });
            QString refusal = nameRefusal(to, from);
            if (it == m_salvos.end())
                refusal = QStringLiteral("There is no salvo \"%1\"").arg(from);
            if (!refusal.isEmpty()) {
                m_core.link().SetErrMsg(refusal);
                return;
            }
            it->name = to;
            save();
            emit changed();
        });
}

void Salvos::Remove(const QString &name)
{
    m_core.actions().Submit(
        QStringLiteral("Delete salvo"), ActionQueue::Needs::Nothing, [this, name] {
            if (m_salvos.removeIf([&](const Salvo &salvo) { return salvo.name == name; }) == 0)
                return;
            save();
            emit changed();
        });
}

bool Salvos::Fire(const QString &name, int owner)
{
    const Salvo *salvo = find(name);
    if (!salvo) {
        m_core.link().SetErrMsg(QStringLiteral("There is no salvo \"%1\"").arg(name));
        return false;
    }
    AppCore::RouteOptions options;
    options.owner = owner;
    options.bulk = true;
    options.report = std::make_shared<RouteReport>(name, int(salvo->routes.size()));
    return m_core.SubmitRoutes(QStringLiteral("Salvo %1").arg(name), salvo->routes, options);
}

} // namespace corvantis
