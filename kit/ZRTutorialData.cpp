#include "kit/ZRTutorialData.h"

MARQEL_DEFINE_CLASS(ZRTutorialData,
    method<&ZRTutorialData::descriptionText>("descriptionText"),
    method<&ZRTutorialData::icon>("icon"))
