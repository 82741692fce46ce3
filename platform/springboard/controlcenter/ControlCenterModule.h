#pragma once

// One tile of Control Center, as a module bundle provides it on the phone:
// what the tile shows and what a tap on it does. Modules are registered
// with ControlCenter, which lays out and draws the tiles.

#include <string>

class ControlCenterModule {
public:
    virtual ~ControlCenterModule() = default;

    // The tile's label, and the symbol (from the symbol catalog) beside it.
    virtual std::string title() const = 0;
    virtual std::string symbolName() const = 0;
    // A lit tile (a recording in progress) draws its symbol in red.
    virtual bool isSelected() const { return false; }

    enum class AfterTap { KeepOpen,
        Close };
    virtual AfterTap tileTapped() = 0;
};
