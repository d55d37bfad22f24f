#include "data/unt_clsBase64.h"

#include "data/unt_clsGb18030.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace
{
const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of each byte in the alphabet; -2 for padding, -1 for anything
// else (line breaks above all), by table: a long range decodes millions.
struct TValues {
    signed char Of[256];
    constexpr TValues() : Of()
    {
        for (int c = 0; c < 256; ++c)
            Of[c] = -1;
        for (int v = 0; v < 64; ++v)
            Of[static_cast<unsigned char>(Alphabet[v])] = static_cast<signed char>(v);
        Of[static_cast<unsigned char>('=')] = -2;
    }
};
constexpr TValues Values;
} // namespace

namespace Base64
{

QByteArray EncodeBytes(const QByteArray &Bytes)
{
    QByteArray out;
    out.reserve(Bytes.size() * 4 / 3 + Bytes.size() / 38 + 8);
    int lineLength = 0;
    auto put = [&](char c) {
        out.append(c);
        // Stored values keep the classic 76-column MIME line breaks, including
        // the one after a final full line.
        if (++lineLength == 76) {
            out.append("\r\n");
            lineLength = 0;
        }
    };
    const auto *data = reinterpret_cast<const unsigned char *>(Bytes.constData());
    const qsizetype n = Bytes.size();
    qsizetype i = 0;
    for (; i + 2 < n; i += 3) {
        const unsigned v = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
        put(Alphabet[(v >> 18) & 63]);
        put(Alphabet[(v >> 12) & 63]);
        put(Alphabet[(v >> 6) & 63]);
        put(Alphabet[v & 63]);
    }
    if (n - i == 1) {
        const unsigned v = data[i] << 16;
        put(Alphabet[(v >> 18) & 63]);
        put(Alphabet[(v >> 12) & 63]);
        put('=');
        put('=');
    } else if (n - i == 2) {
        const unsigned v = (data[i] << 16) | (data[i + 1] << 8);
        put(Alphabet[(v >> 18) & 63]);
        put(Alphabet[(v >> 12) & 63]);
        put(Alphabet[(v >> 6) & 63]);
        put('=');
    }
    return out;
}

QByteArray DecodeBytes(QByteArrayView Text)
{
    QByteArray out(Text.size() * 3 / 4 + 3, Qt::Uninitialized);
    char *put = out.data();
    int group[4];
    int count = 0;
    for (const char c : Text) {
        const int v = Values.Of[static_cast<unsigned char>(c)];
        if (v == -1)
            continue; // line breaks and anything else outside the alphabet
        if (v == -2) {
            // Padding in the third or fourth place ends the group early.
            if (count == 2) {
                *put++ = char((group[0] << 2) | (group[1] >> 4));
            } else if (count == 3) {
                *put++ = char((group[0] << 2) | (group[1] >> 4));
                *put++ = char(((group[1] & 15) << 4) | (group[2] >> 2));
            }
            count = 0;
            continue;
        }
        group[count++] = v;
        if (count == 4) {
            *put++ = char((group[0] << 2) | (group[1] >> 4));
            *put++ = char(((group[1] & 15) << 4) | (group[2] >> 2));
            *put++ = char(((group[2] & 3) << 6) | group[3]);
            count = 0;
        }
    }
    out.resize(put - out.constData());
    return out;
}

// Qt 6.4's string converters know only the Unicode encodings, so the
// conversion goes through the C library's iconv, which has GB18030 built in.
static QByteArray Convert(bool ToGB18030, const QByteArray &In)
{
    if (In.isEmpty())
        return {};
    // Opening a converter costs more than most conversions: keep one per direction.
    struct TConverter {
        iconv_t Handle;
        TConverter(const char *To, const char *From) : Handle(iconv_open(To, From)) {}
        ~TConverter()
        {
            if (Handle != reinterpret_cast<iconv_t>(-1))
                iconv_close(Handle);
        }
    };
    thread_local TConverter toGB("GB18030", "UTF-8"), fromGB("UTF-8", "GB18030");
    iconv_t cd = ToGB18030 ? toGB.Handle : fromGB.Handle;
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("GB18030 conversion is not available");
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    QByteArray out(In.size() * 4 + 16, Qt::Uninitialized);
    char *inPtr = const_cast<char *>(In.constData());
    size_t inLeft = size_t(In.size());
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            const auto used = outPtr - out.data();
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = size_t(out.size() - used);
            continue;
        }
        // A byte sequence that is not valid in the source: skip one byte, as
        // a damaged stored value must still be readable in part.
        ++inPtr;
        --inLeft;
    }
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.resize(outPtr - out.data());
    return out;
}

static bool IsAscii(const QByteArray &Bytes)
{
    for (const char c : Bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

QByteArray ToGB18030(const QString &Text)
{
    const QByteArray utf8 = Text.toUtf8();
    if (IsAscii(utf8))
        return utf8; // GB18030 is ASCII there
    return Convert(true, utf8);
}

QString FromGB18030(const QByteArray &Bytes)
{
    return Gb18030::Decode(Bytes);
}

QString EncodeText(const QString &Text)
{
    return QString::fromLatin1(EncodeBytes(ToGB18030(Text)));
}

QString DecodeText(const QString &Stored)
{
    return FromGB18030(DecodeBytes(Stored.toLatin1()));
}

} // namespace Base64
