#pragma once

// Forward declarations for the media core. Public entry points are
// MovieProbe.h, CompositionExporter.h and MovieWriter.h; the rest are
// building blocks they share.

#include "platform/foundation/Forward.h"

namespace av {

using foundation::Error;
using foundation::ErrorCode;
using foundation::Result;
using foundation::Status;

struct AffineTransform;
struct Rational;
struct PixelSize;
struct TimeRange;
struct MovieInfo;
struct ExportRequest;
struct PlanarImage;
struct VideoEncoderSettings;

class MovieProbe;
class CompositionExporter;
class MovieWriter;
enum class PixelOrder;

class InputMovie;
class FileSink;
class MovieMuxer;
class VideoEncoder;
class AacEncoder;
class AudioTranscoder;
class AudioCopier;
class VideoDecoder;
class DecodeThread;
template <class T>
class BoundedQueue;
class PictureRenderer;
class RgbaConverter;
class ToneGenerator;
class AffineSampler;
class FrameRateConverter;
class PresetFit;

}  // namespace av
