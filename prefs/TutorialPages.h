#pragma once

#include <array>

// The tutorial's pages, in the order they are shown, exactly as the user
// reads them (trailing spaces and typographic apostrophes included).
namespace TutorialPages {

struct Page {
    const char* icon;
    const char* text;
};

inline constexpr std::array<Page, 8> all { {
    { "timer", "Please take a few minutes of your time to read through to get started." },
    { "1.square.fill",
        "To get started, enable the tweak, respring your device then open the Settings app via the Control Center section "
        "and find Marqel then tap the green plus button to add it. " },
    { "2.square.fill",
        "Open the control center like you usually do, you will see the grid icon module on your control center, tap on it "
        "then Marqel will appear." },
    { "3.square.fill",
        "Once Marqel appears, you can drag the selection area around, resize it and Expand or Minimise the area. " },
    { "4.square.fill",
        "Tap on square blue plus button to save the area and assign the name you want the area to be named." },
    { "5.square.fill",
        "You will see the yellow grid button where you can browse your saved areas, long press on the cell to show more "
        "options to delete the area or set it as default. Tap on any area cells to start to restore that area. " },
    { "6.square.fill",
        "If you want to use the microphone while screen recording then enable it. Tap on the red recording button to start "
        "screen recording. Once you\u2019re finished with screen recording tap on the red bar from the status bar to end the "
        "recording." },
    { "7.square.fill",
        "Give it a few seconds to minutes to render the cropped video depending on the duration of the screen recording. "
        "You will receive a notification once it\u2019s been completed, then open Photo app. " },
} };

}  // namespace TutorialPages
