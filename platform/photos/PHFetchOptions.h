#pragma once

#include "platform/foundation/NSObjects.h"

#include <vector>

class PHFetchOptions : public Object {
    MARQEL_OBJECT(PHFetchOptions, Object)
public:
    const std::vector<std::shared_ptr<NSSortDescriptor>>& sortDescriptors() const { return m_sortDescriptors; }
    void setSortDescriptors(std::vector<std::shared_ptr<NSSortDescriptor>> descriptors) { m_sortDescriptors = std::move(descriptors); }
    // Includes assets in Recently Deleted, which the phone's fetches hide.
    bool includeRecentlyDeleted() const { return m_includeRecentlyDeleted; }
    void setIncludeRecentlyDeleted(bool value) { m_includeRecentlyDeleted = value; }

private:
    std::vector<std::shared_ptr<NSSortDescriptor>> m_sortDescriptors;
    bool m_includeRecentlyDeleted = false;
};
