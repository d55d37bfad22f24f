#include "data/unt_clsPassword.h"

#include <sodium.h>

#include <stdexcept>

namespace Password
{
namespace
{
void RequireSodium()
{
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium could not be initialised");
}
} // namespace

QString Hash(const QString &Password)
{
    RequireSodium();
    const QByteArray bytes = Password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, bytes.constData(), quint64(bytes.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("没有足够的内存来保护密码。");
    return QString::fromLatin1(hash);
}

bool Matches(const QString &Hash, const QString &Password)
{
    RequireSodium();
    const QByteArray stored = Hash.toLatin1();
    const QByteArray bytes = Password.toUtf8();
    return crypto_pwhash_str_verify(stored.constData(), bytes.constData(), quint64(bytes.size())) == 0;
}
} // namespace Password
