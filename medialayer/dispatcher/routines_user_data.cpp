// User data routines: one list per movie, items kept in order and bytes as given.
#include "medialayer/dispatcher/dispatcher_state.h"
#include "medialayer/dispatcher/routines.h"

namespace medialayer::dispatch::routine {

UserData GetMovieUserData(Movie movie) {
    DispatcherState& s = state();
    if (s.handles.movie(movie) == nullptr) return raise_error(invalidMovie), nullptr;
    return s.handles.user_data_handle(movie);
}

OSErr SetUserDataItem(UserData list, void* data, std::int32_t size, OSType type, std::int32_t index) {
    MovieRecord* record = state().handles.user_data(list);
    if (record == nullptr || size < 0 || index < 0 || (data == nullptr && size > 0)) return paramErr;
    return set_user_data(record->model.user_data, type, data, std::size_t(size), index);
}

}  // namespace medialayer::dispatch::routine
