// Build-time helper: makes an empty Lumora database from the schema text.
// An existing file is left alone, since it may already hold a user's books.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_database SCHEMA.sql OUT.sjk\n");
        return 2;
    }
    const std::filesystem::path out = argv[2];
    if (std::filesystem::exists(out))
        return 0;
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream schema;
    schema << in.rdbuf();
    std::filesystem::create_directories(out.parent_path());
    const auto temp = out.string() + ".part";
    std::filesystem::remove(temp);
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char *error = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, schema.str().c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "make_database: %s\n", error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        sqlite3_close(db);
        std::filesystem::remove(temp);
        return 1;
    }
    sqlite3_close(db);
    // The books are for their owner and the household's group only.
    namespace fs = std::filesystem;
    fs::permissions(temp, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::group_write);
    std::filesystem::rename(temp, out);
    return 0;
}
