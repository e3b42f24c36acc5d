#include "simhost/host_objects/cp932_text.h"
#include "simhost/host_objects/plugin_library.h"

namespace simhost {

CallArguments describe_arguments(const PluginDescription& d) {
    return CallArguments()
        .add_text("name", d.name)
        .add("id", d.id)
        .add("revision", d.info_numbers[0])
        .add_text("description", utf8_from_cp932(d.info_description))
        .add("interface_version", d.interface_version)
        .add("text_encoding", d.text_encoding)
        .add("exception_kind", d.exception_kind)
        .add("separate_interfaces", d.separate_interfaces)
        .add("resident", d.resident);
}

}  // namespace simhost
