#pragma once
// Passwords are kept only as salted Argon2id hashes (libsodium).
#include <QString>

namespace Password
{
QString Hash(const QString &Password);
bool Matches(const QString &Hash, const QString &Password);
} // namespace Password
