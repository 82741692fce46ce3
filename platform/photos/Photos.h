#pragma once

// The Photos framework stand-in the product calls.

#include "platform/photos/PHAsset.h"
#include "platform/photos/PHFetchOptions.h"
#include "platform/photos/PHImageManager.h"
#include "platform/photos/PHPhotoLibrary.h"
