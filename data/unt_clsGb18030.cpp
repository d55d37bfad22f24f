#include "data/unt_clsGb18030.h"

#include <iconv.h>

#include <cstring>
#include <vector>

namespace
{
constexpr char32_t Invalid = 0xFFFFFFFF;
constexpr int TwoByteCodes = 126 * 190; // lead 0x81-0xFE, trail 0x40-0x7E, 0x80-0xFE
constexpr int FourByteBmp = 39420;      // 0x81308130 … 0x8431A439: the rest of the BMP
constexpr int SupplementaryStart = ((0x90 - 0x81) * 10 * 126 * 10); // 0x90308130 is U+10000

int TrailIndex(unsigned char Trail)
{
    if (Trail >= 0x40 && Trail <= 0x7E)
        return Trail - 0x40;
    if (Trail >= 0x80 && Trail <= 0xFE)
        return Trail - 0x41;
    return -1;
}

struct TTables {
    std::vector<char32_t> Two, Four;

    TTables() : Two(TwoByteCodes, Invalid), Four(FourByteBmp, Invalid)
    {
        iconv_t cd = iconv_open("UTF-32LE", "GB18030");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return; // every non-ASCII byte then reads as damage, as iconv would fail too
        auto one = [cd](const unsigned char *Code, size_t Size) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            char in[4], out[16];
            std::memcpy(in, Code, Size);
            char *inPtr = in, *outPtr = out;
            size_t inLeft = Size, outLeft = sizeof out;
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0 ||
                outPtr - out != 4)
                return Invalid;
            char32_t value = 0;
            for (int i = 3; i >= 0; --i)
                value = (value << 8) | static_cast<unsigned char>(out[i]);
            return value;
        };
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail)
                if (trail != 0x7F) {
                    const unsigned char code[2] = {static_cast<unsigned char>(lead),
                                                   static_cast<unsigned char>(trail)};
                    Two[size_t((lead - 0x81) * 190 + TrailIndex(code[1]))] = one(code, 2);
                }
        for (int i = 0; i < FourByteBmp; ++i) {
            const unsigned char code[4] = {static_cast<unsigned char>(0x81 + i / 12600),
                                           static_cast<unsigned char>(0x30 + i / 1260 % 10),
                                           static_cast<unsigned char>(0x81 + i / 10 % 126),
                                           static_cast<unsigned char>(0x30 + i % 10)};
            Four[size_t(i)] = one(code, 4);
        }
        iconv_close(cd);
    }
};

const TTables &Tables()
{
    static const TTables tables;
    return tables;
}

void Put(char16_t *&Out, char32_t Value)
{
    if (Value < 0x10000) {
        *Out++ = char16_t(Value);
    } else {
        Value -= 0x10000;
        *Out++ = char16_t(0xD800 + (Value >> 10));
        *Out++ = char16_t(0xDC00 + (Value & 0x3FF));
    }
}
} // namespace

namespace Gb18030
{
QString Decode(QByteArrayView Bytes, bool *Damaged)
{
    const auto *in = reinterpret_cast<const unsigned char *>(Bytes.data());
    const qsizetype n = Bytes.size();
    qsizetype i = 0;
    while (i < n && in[i] < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(Bytes.data(), n);
    const TTables &tables = Tables();
    // Never more UTF-16 units than bytes: a 4-byte code gives at most two.
    QString text(n, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype k = 0; k < i; ++k)
        *out++ = in[k];
    while (i < n) {
        const unsigned char lead = in[i];
        if (lead < 0x80) {
            *out++ = lead;
            ++i;
            continue;
        }
        char32_t value = Invalid;
        int length = 1;
        if (lead >= 0x81 && lead <= 0xFE && i + 1 < n) {
            const unsigned char second = in[i + 1];
            const int trail = TrailIndex(second);
            if (trail >= 0) {
                value = tables.Two[size_t((lead - 0x81) * 190 + trail)];
                length = 2;
            } else if (second >= 0x30 && second <= 0x39 && i + 3 < n && in[i + 2] >= 0x81 &&
                       in[i + 2] <= 0xFE && in[i + 3] >= 0x30 && in[i + 3] <= 0x39) {
                const int linear =
                    (((lead - 0x81) * 10 + (second - 0x30)) * 126 + (in[i + 2] - 0x81)) * 10 + (in[i + 3] - 0x30);
                if (linear < FourByteBmp)
                    value = tables.Four[size_t(linear)];
                else if (linear >= SupplementaryStart && linear - SupplementaryStart <= 0xFFFFF)
                    value = char32_t(0x10000 + linear - SupplementaryStart);
                length = 4;
            }
        }
        if (value == Invalid) {
            if (Damaged)
                *Damaged = true;
            ++i; // as the converter does: the byte goes, the next one starts anew
            continue;
        }
        Put(out, value);
        i += length;
    }
    text.resize(out - reinterpret_cast<char16_t *>(text.data()));
    return text;
}
} // namespace Gb18030
