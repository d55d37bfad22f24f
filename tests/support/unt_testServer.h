#pragma once
// Whether the tests run on books on a PostgreSQL server: the script that
// starts the private test server sets LUMORA_TEST_SERVER to its URI, and
// every TTestDb is then a database of its own on it.
#include <QString>

QString TestServer();
inline bool OnTestServer()
{
    return !TestServer().isEmpty();
}
