#include "platform/photos/SetAsideFile.h"

#include "platform/photos/FileOperations.h"

#include <cerrno>
#include <cstdio>

namespace photos {

SetAsideFile::SetAsideFile(std::filesystem::path original, bool held)
    : m_original(std::move(original))
    , m_held(held)
{
}

std::filesystem::path SetAsideFile::asideNameFor(const std::filesystem::path& file)
{
    return file.parent_path() / (std::string(prefix) + file.filename().string());
}

std::optional<std::string> SetAsideFile::originalNameOf(std::string_view fileName)
{
    if (fileName.size() <= prefix.size() || fileName.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    return std::string(fileName.substr(prefix.size()));
}

Result<SetAsideFile> SetAsideFile::setAside(const std::filesystem::path& file)
{
    if (::rename(file.c_str(), asideNameFor(file).c_str()) == 0)
        return SetAsideFile(file, true);
    if (errno == ENOENT)
        return SetAsideFile(file, false);
    return Error::fromErrno("move aside for deletion", file.string());
}

Status SetAsideFile::putBack()
{
    if (!m_held)
        return {};
    int error = FileOperations::renameNoReplace(asideNameFor(m_original), m_original);
    if (error != 0)
        return Error::fromErrno("put back", m_original.string(), error);
    m_held = false;
    return {};
}

Status SetAsideFile::discard()
{
    if (!m_held)
        return {};
    TRY(FileOperations::removeFile(asideNameFor(m_original)));
    m_held = false;
    FileOperations::syncDirectory(m_original.parent_path());
    return {};
}

}  // namespace photos
