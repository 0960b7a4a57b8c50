#pragma once

#include <QString>

namespace corvantis::PinHash {

// The routing PIN is kept only as a salted, slow hash ("pbkdf2-sha256$ROUNDS$SALT$HASH", base
// 64), so a copied settings file does not give the PIN away.
QString make(const QString &pin);
// False also for a stored text that is no hash of this form.
bool matches(const QString &stored, const QString &pin);
// Empty when the PIN may be used; otherwise why not.
QString refusal(const QString &pin);

} // namespace corvantis::PinHash
