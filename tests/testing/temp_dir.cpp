#include "testing/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "util/error.h"

namespace korvid::test {

TTempDir::TTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korvid-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    m_path = pattern;
}

TTempDir::~TTempDir()
{
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void TTempDir::Write(std::string_view name, std::string_view bytes) const
{
    const auto target = m_path / name;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + target.string());
}

std::string TTempDir::Read(std::string_view name) const
{
    return ReadFileForTest(m_path / name);
}

bool TTempDir::Exists(std::string_view name) const
{
    return std::filesystem::exists(m_path / name);
}

std::string ReadFileForTest(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string TestData(std::string_view relative)
{
    return ReadFileForTest(std::filesystem::path(KORVID_SOURCE_DIR) / "tests" / relative);
}

namespace {

std::string Unescape(std::string_view field)
{
    static constexpr std::string_view Letters = "nrt0", Bytes{"\n\r\t\0", 4};
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
        } else if (const char c = field[++i]; c == 'x') {
            out += static_cast<char>(std::stoi(std::string(field.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            const std::size_t k = Letters.find(c);
            out += k == std::string_view::npos ? c : Bytes[k];
        }
    }
    return out;
}

} // namespace

std::vector<TCaseRow> CaseTable(std::string_view relative, std::size_t fields)
{
    std::vector<TCaseRow> rows;
    std::istringstream in(TestData(relative));
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.front() == '#')
            continue;
        if (line.ends_with(" |"))
            line += ' '; // an empty last field, its space lost to an editor
        TCaseRow& row = rows.emplace_back();
        for (std::size_t from = 0;;) {
            const std::size_t bar = line.find(" | ", from);
            row.push_back(Unescape(std::string_view(line).substr(from, bar - from)));
            if (bar == std::string::npos)
                break;
            from = bar + 3;
        }
        EXPECT_EQ(row.size(), fields) << relative << ": " << line;
        row.resize(fields);
    }
    EXPECT_FALSE(rows.empty()) << relative;
    return rows;
}

std::vector<std::string> FileNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectErrorNaming(const std::function<void()>& call, std::initializer_list<std::string> parts)
{
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const util::TError& error) {
        for (const std::string& part : parts)
            EXPECT_NE(std::string(error.what()).find(part), std::string::npos) << error.what();
    }
}

std::filesystem::path CorpusDir()
{
    if (const char* env = std::getenv("KORVID_CORPUS_DIR"); env != nullptr && *env != '\0')
        return env;
    std::filesystem::path dir = KORVID_CORPUS_DIR;
    return std::filesystem::is_directory(dir) ? dir : std::filesystem::path{};
}

std::vector<std::filesystem::path> CorpusLogs()
{
    std::vector<std::filesystem::path> logs;
    if (const auto dir = CorpusDir(); !dir.empty())
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().extension() == ".txt")
                logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());
    return logs;
}

} // namespace korvid::test
