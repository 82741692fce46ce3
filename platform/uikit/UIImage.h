#pragma once

// Images: named system symbols from a fixed catalog, or PNG files. The
// stand-in keeps what an image is (symbol name or file path) and its size;
// the renderer draws it.

#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <string>

enum UIImageRenderingMode : std::int64_t {
    UIImageRenderingModeAutomatic = 0,
    UIImageRenderingModeAlwaysOriginal = 1,
    UIImageRenderingModeAlwaysTemplate = 2,
};

class UIImage : public Object {
    MARQEL_OBJECT(UIImage, Object)
public:
    UIImage() = default;

    // Null, without an error, for a name the catalog does not have.
    static std::shared_ptr<UIImage> systemImageNamed(const std::string& name);
    static bool isSystemSymbolName(const std::string& name);
    // A PNG at a device path; null when the file is missing or is not a
    // PNG. A name ending "@2x" or "@3x" gives the image that scale.
    static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::string& devicePath);
    // "name.png" (or name@3x.png, name@2x.png) in the bundle folder.
    static std::shared_ptr<UIImage> imageNamed(const std::string& name, const std::string& bundleDevicePath);

    bool isSymbolImage() const { return !m_symbolName.empty(); }
    const std::string& symbolName() const { return m_symbolName; }
    const std::string& filePath() const { return m_filePath; }
    // In points.
    CGSize size() const { return m_size; }
    CGFloat scale() const { return m_scale; }
    UIImageRenderingMode renderingMode() const { return m_renderingMode; }
    std::shared_ptr<UIImage> imageWithRenderingMode(UIImageRenderingMode mode) const;
    std::string description() const override;

private:
    std::string m_symbolName;
    std::string m_filePath;
    CGSize m_size {};
    CGFloat m_scale = 1;
    UIImageRenderingMode m_renderingMode = UIImageRenderingModeAutomatic;
};
