// The host calls a complete capture makes, in order, as "interface.operation".
#pragma once

#include <string>
#include <vector>

struct CaptureShape {
    int columns = 2;
    int rows = 2;
    bool stereo = false;
    bool light_follows = false;
};

std::vector<std::string> expected_operations(const CaptureShape& shape);
