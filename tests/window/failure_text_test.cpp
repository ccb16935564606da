#include "window/failure_text.h"

#include <exception>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

#include "util/error.h"

namespace korvid {

TEST(FailureText, LibraryTextsBecomeMessagesNamingTheCommand)
{
    translation::TTranslation catalogue("Korvid");
    catalogue.SetDefaults("msgOutOfMemory=%s: short of memory\n"
                          "msgFileFailed=%s: failed on %s\n"
                          "msgInternalError=%s: internal error\n");
    struct TRow {
        const char* name;
        std::exception_ptr failure;
        std::string command;
        std::string expected;
    };
    const TRow rows[] = {
        {"our own error, which names the file and the cause",
         std::make_exception_ptr(util::TError("Cannot write /h/Korvid.dat: No space left")), "Save",
         "Cannot write /h/Korvid.dat: No space left"},
        {"out of memory", std::make_exception_ptr(std::bad_alloc()), "&Save the history",
         "Save the history: short of memory"},
        {"a file system call",
         std::make_exception_ptr(std::filesystem::filesystem_error(
             "filesystem error: raw", "/h/png", std::make_error_code(std::errc::not_a_directory))),
         "Export", "Export: failed on /h/png: " + util::ErrorText(ENOTDIR)},
        {"a library's own text", std::make_exception_ptr(std::out_of_range("_M_range_check: __n")),
         "Sort", "Sort: internal error"},
        {"not even an exception", std::make_exception_ptr(42), "Tom && Jerry",
         "Tom & Jerry: internal error"},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(window::FailureText(row.failure, row.command, catalogue), row.expected)
            << row.name;
}

} // namespace korvid
