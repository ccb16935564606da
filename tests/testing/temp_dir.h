#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }
    [[nodiscard]] std::filesystem::path operator/(std::string_view name) const
    {
        return m_path / name;
    }
    void Write(std::string_view name, std::string_view bytes) const;
    [[nodiscard]] std::string Read(std::string_view name) const;
    [[nodiscard]] bool Exists(std::string_view name) const;

private:
    std::filesystem::path m_path;
};

// Bytes of a file, or a failed test assertion when it cannot be read.
std::string ReadFileForTest(const std::filesystem::path& path);

// A file under tests/, such as "live/data/state84.json".
std::string TestData(std::string_view relative);

// A case table under tests/: one row a line, fields split at " | ", the escapes \xHH, \n, \r,
// \t, \0 and a doubled backslash decoded; blank lines and lines starting with '#' are skipped.
// A row with another count of fields fails the test that asked.
using TCaseRow = std::vector<std::string>;
std::vector<TCaseRow> CaseTable(std::string_view relative, std::size_t fields);

// The names in a folder, sorted; none when it does not exist.
std::vector<std::string> FileNames(const std::filesystem::path& folder);

// Fails unless the call throws a util::TError whose text holds every part.
void ExpectErrorNaming(const std::function<void()>& call, std::initializer_list<std::string> parts);

// The folder of real client logs, or empty when this checkout has none beside it.
std::filesystem::path CorpusDir();

// The client logs (*.txt) under CorpusDir(), sorted; none when there is no corpus.
std::vector<std::filesystem::path> CorpusLogs();

} // namespace korvid::test
