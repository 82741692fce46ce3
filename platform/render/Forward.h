#pragma once

// Declarations of the compositor's classes, so a header includes only what
// it needs.

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_matrix cairo_matrix_t;

class BitmapLayer;
class GradientLayer;
struct ScreenFrame;

namespace render {
class Compositor;
class ImageCache;
class LayerPainter;
class Surface;
class TextPainter;
class Window;
struct RGBA;
}  // namespace render
