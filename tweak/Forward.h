#pragma once

// The tweak's classes, for headers that only name them.

class MarqelConfig;
class MarqelRecordingManager;
class MarqelToolButton;
class MarqelViewController;
class MarqelWindow;
class ResizableBox;
