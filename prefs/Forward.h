#pragma once

// The settings bundle's classes, for headers that only name them.

class DefaultMarqelViewController;
class DefaultResizableBox;
