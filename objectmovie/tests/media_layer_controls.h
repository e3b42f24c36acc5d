// The media layer's test controls, resolved from the loaded QuickTime library.
#pragma once

#include <cstdint>

#include "medialayer/test_control.h"

struct MediaLayerControls {
    decltype(&medialayer_fault_reset) fault_reset = nullptr;
    decltype(&medialayer_fault_on_selector) fault_on_selector = nullptr;
    decltype(&medialayer_fault_on_write) fault_on_write = nullptr;
    decltype(&medialayer_get_live_counts) get_live_counts = nullptr;
    decltype(&medialayer_flatten_deletes_first) flatten_deletes_first = nullptr;

    // Loads the library just built unless it is loaded already, binds the
    // plug-in's QuickTime calls to it and resolves the controls; false when
    // any is missing.
    bool bind();

    medialayer_live_counts live_counts() const {
        medialayer_live_counts counts{};
        get_live_counts(&counts);
        return counts;
    }
};
