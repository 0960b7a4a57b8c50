#include "web/PinHash.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

namespace corvantis::PinHash {

namespace {

constexpr auto kScheme = "pbkdf2-sha256";
// About 10 ms a check here: slow for guessing a copied hash, quick for a login.
constexpr int kRounds = 20000;
constexpr int kBytes = 32;
constexpr int kMinLength = 4;
constexpr int kMaxLength = 64;

QByteArray derive(const QString &pin, const QByteArray &salt, int rounds)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, pin.toUtf8(), salt,
                                              rounds, kBytes);
}

// Takes as long whatever the first difference, so timing tells nothing of the hash.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

QString make(const QString &pin)
{
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()),
                                          salt.size() / 4);
    return QStringLiteral("%1$%2$%3$%4")
        .arg(QLatin1String(kScheme))
        .arg(kRounds)
        .arg(QString::fromLatin1(salt.toBase64()),
             QString::fromLatin1(derive(pin, salt, kRounds).toBase64()));
}

bool matches(const QString &stored, const QString &pin)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != QLatin1String(kScheme))
        return false;
    bool ok = false;
    const int rounds = parts[1].toInt(&ok);
    // A hash that asks for more work than this was not written here.
    if (!ok || rounds < 1 || rounds > 10 * kRounds)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray hash = QByteArray::fromBase64(parts[3].toLatin1());
    return !salt.isEmpty() && hash.size() == kBytes && sameBytes(derive(pin, salt, rounds), hash);
}

QString refusal(const QString &pin)
{
    if (pin.size() < kMinLength || pin.size() > kMaxLength)
        return QStringLiteral("A PIN has %1 to %2 characters").arg(kMinLength).arg(kMaxLength);
    for (const QChar c : pin)
        if (!c.isPrint())
            return QStringLiteral("A PIN has no control characters");
    return {};
}

} // namespace corvantis::PinHash
