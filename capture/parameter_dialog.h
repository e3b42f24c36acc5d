// The command's parameter dialog: its nine items and what the user entered.
#pragma once

#include <cstdint>

#include "host/host_interface.h"

// Handles of the items the command presets or reads back.
struct DialogItems {
    std::int32_t columns;
    std::int32_t rows;
    std::int32_t upper_hemisphere_only;
    std::int32_t light_follows;
    std::int32_t stereo;
    std::int32_t stereo_method;
    std::int32_t parallax;
};

// The values as entered, before anything is derived from them.
struct DialogValues {
    std::int32_t columns;
    std::int32_t rows;
    bool upper_hemisphere_only;
    std::int32_t stereo_method;
    float parallax;
    bool stereo;
    bool light_follows;
};

// Titles the dialog, appends the nine items and presets 24 columns, 13 rows and 4 degrees of parallax.
DialogItems build_parameter_dialog(host_dialog& dialog);

// Reads the confirmed dialog in the order the settings are derived.
DialogValues read_parameter_dialog(host_dialog& dialog, const DialogItems& items);
