#include "platform/photos/CameraRollNaming.h"

#include <cctype>
#include <cstdio>

namespace photos {

std::string CameraRollNaming::fileName(std::int64_t number, std::string_view extension)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%04lld", static_cast<long long>(number));
    return "IMG_" + std::string(digits) + "." + std::string(extension);
}

std::optional<std::int64_t> CameraRollNaming::numberOf(std::string_view fileName)
{
    constexpr std::string_view prefix = "IMG_";
    if (fileName.size() <= prefix.size())
        return std::nullopt;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(fileName[i])) != prefix[i])
            return std::nullopt;
    }
    auto rest = fileName.substr(prefix.size());
    auto dot = rest.find('.');
    auto digits = rest.substr(0, dot);
    // More than 15 digits cannot come from our counter and would overflow.
    if (digits.empty() || digits.size() > 15)
        return std::nullopt;
    std::int64_t number = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string CameraRollNaming::extensionFor(const std::filesystem::path& source, MediaType mediaType)
{
    std::string extension = source.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    bool plain = !extension.empty() && extension.size() <= 5;
    for (char& c : extension) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            plain = false;
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (plain)
        return extension;
    return mediaType == MediaType::Video ? "MOV" : "JPG";
}

}  // namespace photos
