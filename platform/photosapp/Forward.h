#pragma once

// The Photos app's classes, for headers that only name them.

class PhotosAppHost;
class PhotosViewController;
class PhotosVideoCell;
class PhotosPlayerView;

namespace photosapp {
class MovieFrames;
class ThumbnailCache;
enum class Tab;
}  // namespace photosapp
