#include "quicktime/qt_binding.h"

#include "quicktime/qt_loader.h"
#include "quicktime/qt_types.h"

std::intptr_t qt_not_bound(std::uint32_t, ...) { return qtNotBoundErr; }

qt_hook qt_bind_hook = qt_lazy_bind;
qt_entry qt_dispatcher = qt_not_bound;
qt_entry qt_call_component = qt_not_bound;
qt_entry qt_call_component_with_storage = qt_not_bound;
platform::module_handle qt_module = nullptr;
bool qt_version_checked = false;
bool qt_version_passed = false;

void qt_reset_binding_for_tests() {
    qt_bind_hook = qt_lazy_bind;
    qt_dispatcher = qt_not_bound;
    qt_call_component = qt_not_bound;
    qt_call_component_with_storage = qt_not_bound;
    qt_module = nullptr;
    qt_version_checked = false;
    qt_version_passed = false;
}
