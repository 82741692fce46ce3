#include "platform/photos/MediaDirectory.h"

#include "platform/foundation/PathContainment.h"

#include <iterator>
#include <system_error>

namespace photos {

MediaDirectory::MediaDirectory(std::filesystem::path root)
    : m_root(std::move(root))
{
}

Result<MediaDirectory> MediaDirectory::prepare(const std::filesystem::path& root)
{
    if (root.empty())
        return Error { ErrorCode::InvalidArgument, "the media directory path is empty" };
    std::error_code error;
    auto absolute = std::filesystem::absolute(root, error);
    if (error)
        return Error::fromErrno("resolve", root.string(), error);
    MediaDirectory directory(absolute.lexically_normal());
    for (const auto& folder : { directory.cameraFolder(), directory.databasePath().parent_path() }) {
        // A link planted where the library keeps its files would carry
        // every movie out of the device.
        if (!pathcontainment::staysInside(folder, directory.m_root))
            return Error { ErrorCode::InvalidArgument,
                folder.string() + " leads out of the media directory through a symbolic link; remove the link" };
        std::filesystem::create_directories(folder, error);
        if (error)
            return Error::fromErrno("create", folder.string(), error);
    }
    return directory;
}

std::filesystem::path MediaDirectory::cameraFolder() const
{
    return m_root / cameraFolderName;
}

std::filesystem::path MediaDirectory::databasePath() const
{
    return m_root / "PhotoData" / "Photos.sqlite";
}

std::string MediaDirectory::relativePathOf(std::string_view fileNameInCameraFolder) const
{
    return std::string(cameraFolderName) + "/" + std::string(fileNameInCameraFolder);
}

Result<std::filesystem::path> MediaDirectory::resolve(std::string_view relativePath) const
{
    if (relativePath.empty())
        return Error { ErrorCode::InvalidArgument, "empty file path" };
    if (relativePath.find('\0') != std::string_view::npos)
        return Error { ErrorCode::InvalidArgument, "file path contains a NUL byte" };
    std::filesystem::path relative(relativePath);
    if (relative.is_absolute())
        return Error { ErrorCode::InvalidArgument, "file path \"" + std::string(relativePath) + "\" is absolute" };
    for (const auto& part : relative) {
        if (part == ".." || part == ".")
            return Error { ErrorCode::InvalidArgument,
                "file path \"" + std::string(relativePath) + "\" leaves the media directory" };
    }
    // Asset files only ever live under DCIM; a row naming anything else (the
    // database itself, say) must not lead a purge to delete it.
    if (*relative.begin() != "DCIM" || std::distance(relative.begin(), relative.end()) < 2)
        return Error { ErrorCode::InvalidArgument,
            "file path \"" + std::string(relativePath) + "\" is not inside DCIM" };
    if (!pathcontainment::staysInside(m_root / relative, m_root))
        return Error { ErrorCode::InvalidArgument,
            "file path \"" + std::string(relativePath) + "\" leads out of the media directory through a symbolic link" };
    return m_root / relative;
}

}  // namespace photos
