#include "plugin/main_component.h"

#include <new>

#include "capture/capture_command.h"
#include "platform/host_exceptions.h"

std::int32_t main_component::component_id(word) { return main_component_id; }

// An exception the host raised during the command goes back to it as it was raised.
void main_component::invoke(word, host_scene* scene, word) {
    platform::answer_host([](void* context) { run_capture_command(static_cast<host_scene*>(context)); }, scene);
}

void* main_component::destroy(std::uint32_t flags) {
    // Nothing to clean up: the object holds only its count.
    this->~main_component();
    if (flags & 1) ::operator delete(this);
    return this;
}
