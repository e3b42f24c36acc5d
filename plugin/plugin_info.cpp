#include "plugin/plugin_info.h"

#include "plugin/plugin_identity.h"

plugin_info describe_plugin() {
    return {plugin_revision, plugin_second_revision, 1,          0, 0, 0,
            product_name,    maker_name,             maker_name, product_description};
}
