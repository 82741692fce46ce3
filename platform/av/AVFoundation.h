#pragma once

// The AVFoundation and Core Media stand-in that the product calls: assets,
// video compositions and the export session. The media work itself is done
// by the core in this folder (probe, composition exporter).

#include "platform/av/AVAsset.h"
#include "platform/av/AVAssetExportSession.h"
#include "platform/av/AVVideoComposition.h"
#include "platform/av/CMTime.h"
