#pragma once

// Foundation's classes, for headers that only name them.

class Clock;
class DispatchQueue;
class NSBundle;
class NSDate;
class NSDictionary;
class NSDistributedNotificationCenter;
class NSError;
class NSFileManager;
class NSMutableDictionary;
class NSNotification;
class NSNotificationCenter;
class NSProcessInfo;
class NSSortDescriptor;
class NSURL;
class PlistDict;
class PlistValue;
class RunLoop;
class SystemLog;

namespace foundation {
class FileDescriptor;
enum class ErrorCode;
struct Error;
template <class T>
class Result;
using Status = Result<void>;
}  // namespace foundation
