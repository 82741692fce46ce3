#pragma once

#include "platform/foundation/Forward.h"

class PHAsset;
class PHFetchOptions;
class PHFetchResult;

namespace photos {

using foundation::Error;
using foundation::ErrorCode;
using foundation::Result;
using foundation::Status;

enum class MediaType;

struct AssetRecord;
struct FetchQuery;
struct MediaFacts;
struct SortKey;
struct StoreOptions;

class AssetFileWriter;
class AssetTable;
class CameraRollNaming;
class FileOperations;
class IdentifierGenerator;
class LibrarySchema;
class MediaDirectory;
class PhotoLibraryStore;
class SetAsideFile;
class SqliteConnection;
class SqliteStatement;
class SqliteTransaction;

}  // namespace photos
