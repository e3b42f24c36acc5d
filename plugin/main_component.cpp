#include "plugin/main_component.h"

#include <new>

#include "capture/capture_command.h"

std::int32_t main_component::component_id(word) { return main_component_id; }

void main_component::invoke(word, host_scene* scene, word) { run_capture_command(scene); }

void* main_component::destroy(std::uint32_t flags) {
    // Nothing to clean up: the object holds only its count.
    this->~main_component();
    if (flags & 1) ::operator delete(this);
    return this;
}
