#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "platform/av/AffineTransform.h"
#include "platform/av/PixelSize.h"
#include "platform/av/Rational.h"
#include "platform/av/TimeRange.h"

namespace av {

struct ExportRequest {
    std::string inputPath;
    // Always a QuickTime movie, whatever the extension.
    std::string outputPath;
    // Canvas the layer is drawn on, in pixels.
    int renderWidth = 0;
    int renderHeight = 0;
    // Places source pixels on the canvas: output pixel (u, v) shows the
    // source pixel nearest to inverse(transform)(u + 0.5, v + 0.5). Source
    // pixels are the stored picture, before any rotation the file asks
    // players for; fold MovieInfo::preferredTransform in here to honour it.
    AffineTransform transform;
    // Output is constant frame rate, one frame per frameDuration.
    Rational frameDuration { 1, 30 };
    // Source timeline; nullopt exports the whole movie.
    std::optional<TimeRange> timeRange;
    // Largest picture, read in the picture's own orientation (landscape
    // 1920x1080 lets a portrait picture be 1080x1920); nullopt: no limit.
    std::optional<PixelSize> presetMaxSize = PixelSize { 1920, 1080 };
    // Called on the exporting thread with non-decreasing values; 1.0 only
    // once the finished file is in place.
    std::function<void(double)> progress;
    // Polled while exporting; set it from any thread to stop.
    std::atomic<bool>* cancel = nullptr;
};

}  // namespace av
