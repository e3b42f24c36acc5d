#include "medialayer/dispatcher/dispatcher_state.h"

namespace medialayer::dispatch {

DispatcherState& state() {
    static DispatcherState instance;
    return instance;
}

}  // namespace medialayer::dispatch
