#include "plugin/plugin_identity.h"

#include <cstring>

bool is_plugin_interface_id(const void* iid) {
    return iid != nullptr && std::memcmp(iid, &plugin_interface_id, sizeof plugin_interface_id) == 0;
}
