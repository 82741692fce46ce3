#pragma once

// The tweak's classes, for headers that only name them.

class MarqelConfig;
class MarqelRecordingManager;
class MarqelSavedAreaViewController;
class MarqelToolButton;
class MarqelViewController;
class MarqelWindow;
class ResizableBox;
class SavedAreaCell;
