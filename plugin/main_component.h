// The plug-in's one component: it names itself and runs the capture command;
// every other operation keeps plugin_interface's default.
#pragma once

#include "plugin/plugin_interface.h"

class main_component : public plugin_interface {
public:
    main_component() = default;

    std::int32_t component_id(word) override;
    // Takes no reference on scene.
    void invoke(word, host_scene* scene, word) override;
    void* destroy(std::uint32_t flags) override;
};
