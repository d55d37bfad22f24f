#pragma once
// What every fuzz target shares: the input as bytes, without a copy.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

inline QByteArray FuzzBytes(const uint8_t *Data, size_t Size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(Data), qsizetype(Size));
}
