#pragma once

// What the crop tool's recordings leave behind: the notices that announce a
// cropped movie, and the videos in the photo library.

#include "platform/photos/Photos.h"

#include <cstddef>
#include <memory>

namespace scenario {

// How the product builds the notice of a finished crop, as a user and the
// notification centre see it.
namespace completionNotice {
inline constexpr const char* title = "Marqel";
inline constexpr const char* message = "Your cropped screen recording is rendered and ready.";
inline constexpr const char* section = "com.apple.mobileslideshow";
inline constexpr const char* opens = "com.apple.mobileslideshow";
inline constexpr const char* setterOrder = "setTitle:,setMessage:,setSectionID:,setBulletinID:,setRecordID:,setPublisherBulletinID:,"
                                           "setDate:,setDefaultAction:,setClearable:,setShowsMessagePreview:,setPublicationDate:,setLastInterruptDate:";
// The four lowest destinations.
inline constexpr unsigned destinations = 15;
}  // namespace completionNotice

// Notices posted so far carrying the completion notice's message.
std::size_t completionNoticeCount();

// Videos oldest first: those in the library, or only those in Recently Deleted.
enum class Videos { InLibrary,
    RecentlyDeleted };
std::shared_ptr<PHFetchResult> videos(Videos which);

}  // namespace scenario
