#include "tweak/core/MarqelConfig.h"

MARQEL_DEFINE_CLASS_LAZY(MarqelConfig,
    method<&MarqelConfig::toggleMicrophone>("toggleMicrophone"),
    method<&MarqelConfig::setToggleMicrophone>("setToggleMicrophone:"),
    method<&MarqelConfig::cropFrame>("cropFrame"),
    method<&MarqelConfig::setCropFrame>("setCropFrame:"))
