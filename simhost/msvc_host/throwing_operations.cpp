#include "simhost/msvc_host/host_tables.h"

namespace msvc_host {

#define MSVC_HOST_OPERATION(n) &plugin_component::operation_##n,
#define MSVC_HOST_TEN_OPERATIONS(tens)                                                          \
    MSVC_HOST_OPERATION(tens##0) MSVC_HOST_OPERATION(tens##1) MSVC_HOST_OPERATION(tens##2)      \
    MSVC_HOST_OPERATION(tens##3) MSVC_HOST_OPERATION(tens##4) MSVC_HOST_OPERATION(tens##5)      \
    MSVC_HOST_OPERATION(tens##6) MSVC_HOST_OPERATION(tens##7) MSVC_HOST_OPERATION(tens##8)      \
    MSVC_HOST_OPERATION(tens##9)

const throwing_operation throwing_operations[last_throwing_operation - first_throwing_operation + 1] = {
    MSVC_HOST_TEN_OPERATIONS(9) MSVC_HOST_TEN_OPERATIONS(10) MSVC_HOST_TEN_OPERATIONS(11)
    MSVC_HOST_TEN_OPERATIONS(12) MSVC_HOST_TEN_OPERATIONS(13) MSVC_HOST_TEN_OPERATIONS(14)
    MSVC_HOST_TEN_OPERATIONS(15) MSVC_HOST_TEN_OPERATIONS(16) MSVC_HOST_TEN_OPERATIONS(17)
    MSVC_HOST_TEN_OPERATIONS(18) MSVC_HOST_TEN_OPERATIONS(19) MSVC_HOST_OPERATION(200)};

}  // namespace msvc_host
