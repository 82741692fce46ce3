#include "tests/support/Files.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace testsupport {

bool fileExists(const std::string& path)
{
    struct stat st { };
    return ::lstat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path)
{
    struct stat st { };
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string treeSnapshot(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat st { };
        if (::lstat(it->path().c_str(), &st) != 0)
            continue;
        std::ostringstream line;
        line << std::oct << (st.st_mode & 07777) << std::dec << ' ';
        if (S_ISREG(st.st_mode))
            line << "file " << st.st_size << ' ' << readFile(it->path().string());
        else if (S_ISDIR(st.st_mode))
            line << "folder";
        else if (S_ISLNK(st.st_mode))
            line << "link -> " << fs::read_symlink(it->path(), ec).string();
        else
            line << "other " << (st.st_mode & S_IFMT);
        entries[it->path().lexically_relative(folder).string()] = line.str();
    }
    std::string text = ec ? "(the folder could not be read whole: " + ec.message() + ")\n" : std::string();
    for (const auto& [path, line] : entries)
        text += path + ": " + line + "\n";
    return text;
}

std::string failureOutputFolder()
{
    const char* fromEnvironment = std::getenv("MARQEL_TEST_OUTPUT");
    std::string folder = fromEnvironment && *fromEnvironment ? fromEnvironment : MARQEL_TEST_OUTPUT;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace testsupport
