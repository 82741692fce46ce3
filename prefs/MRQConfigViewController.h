#pragma once

#include "kit/ZRPreferencesListViewController.h"

// The settings page: the kit's list built from the bundle's "PrimarySetting"
// rows, and the action one of those rows sends to open the default-area
// editor.
class MRQConfigViewController : public ZRPreferencesListViewController {
    MARQEL_OBJECT(MRQConfigViewController, ZRPreferencesListViewController)
public:
    void viewDidLoad() override;
    void presentDefaultAreaVC();
};
