#pragma once

namespace photos {

enum class ErrorCode;
enum class MediaType;

struct AssetRecord;
struct Failure;
struct FetchQuery;
struct MediaFacts;
struct SortKey;
struct StoreOptions;

template <typename T>
class Result;

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
