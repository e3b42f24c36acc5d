#include "medialayer/dispatcher/routine_table.h"

#include <algorithm>
#include <array>

#include "medialayer/dispatcher/routines.h"
#include "medialayer/dispatcher/variadic_call.h"
#include "quicktime/qt_selectors.h"

namespace medialayer::dispatch {
namespace {

namespace sel = qt_selector;
namespace r = routine;
constexpr auto code = Reports::error_code;
constexpr auto sticky = Reports::sticky_only;

// Sorted by selector for the binary search below.
constexpr auto make_table() {
    std::array table{
        RoutineEntry{sel::GetMoviesStickyError, call_routine<r::GetMoviesStickyError>, code},
        RoutineEntry{sel::DisposeMovie, call_routine<r::DisposeMovie>, sticky},
        RoutineEntry{sel::SetMoviePreviewTime, call_routine<r::SetMoviePreviewTime>, sticky},
        RoutineEntry{sel::SetMoviePosterTime, call_routine<r::SetMoviePosterTime>, sticky},
        RoutineEntry{sel::GetMovieTime, call_routine<r::GetMovieTime>, sticky},
        RoutineEntry{sel::SetMovieTimeValue, call_routine<r::SetMovieTimeValue>, sticky},
        RoutineEntry{sel::GetMovieUserData, call_routine<r::GetMovieUserData>, sticky},
        RoutineEntry{sel::SetTrackEnabled, call_routine<r::SetTrackEnabled>, sticky},
        RoutineEntry{sel::GetTrackDuration, call_routine<r::GetTrackDuration>, sticky},
        RoutineEntry{sel::GetTrackLayer, call_routine<r::GetTrackLayer>, sticky},
        RoutineEntry{sel::SetTrackLayer, call_routine<r::SetTrackLayer>, sticky},
        RoutineEntry{sel::GetTrackVolume, call_routine<r::GetTrackVolume>, sticky},
        RoutineEntry{sel::GetTrackDimensions, call_routine<r::GetTrackDimensions>, sticky},
        RoutineEntry{sel::GetTrackMedia, call_routine<r::GetTrackMedia>, sticky},
        RoutineEntry{sel::GetMediaTimeScale, call_routine<r::GetMediaTimeScale>, sticky},
        RoutineEntry{sel::GetMediaHandlerDescription, call_routine<r::GetMediaHandlerDescription>, sticky},
        RoutineEntry{sel::InsertTrackSegment, call_routine<r::InsertTrackSegment>, code},
        RoutineEntry{sel::CloseMovieFile, call_routine<r::CloseMovieFile>, code},
        RoutineEntry{sel::AddMovieResource, call_routine<r::AddMovieResource>, code},
        RoutineEntry{sel::ClearMoviesStickyError, call_routine<r::ClearMoviesStickyError>, sticky},
        RoutineEntry{sel::NewMovieFromFile, call_routine<r::NewMovieFromFile>, code},
        RoutineEntry{sel::GetMovieNextInterestingTime, call_routine<r::GetMovieNextInterestingTime>, sticky},
        RoutineEntry{sel::SetUserDataItem, call_routine<r::SetUserDataItem>, code},
        RoutineEntry{sel::CopyTrackSettings, call_routine<r::CopyTrackSettings>, code},
        RoutineEntry{sel::DeleteMovieFile, call_routine<r::DeleteMovieFile>, code},
        RoutineEntry{sel::NewMovieTrack, call_routine<r::NewMovieTrack>, sticky},
        RoutineEntry{sel::NewTrackMedia, call_routine<r::NewTrackMedia>, sticky},
        RoutineEntry{sel::CreateMovieFile, call_routine<r::CreateMovieFile>, code},
        RoutineEntry{sel::OpenMovieFile, call_routine<r::OpenMovieFile>, code},
        RoutineEntry{sel::FlattenMovieData, call_routine<r::FlattenMovieData>, sticky},
        RoutineEntry{sel::SetMoviePlayHints, call_routine<r::SetMoviePlayHints>, sticky},
        RoutineEntry{sel::GetMovieIndTrackType, call_routine<r::GetMovieIndTrackType>, sticky},
        RoutineEntry{sel::NewPtr, call_routine<r::NewPtr>, sticky},
        RoutineEntry{sel::DisposePtr, call_routine<r::DisposePtr>, sticky},
        RoutineEntry{sel::NativePathNameToFSSpec, call_routine<r::NativePathNameToFSSpec>, code},
        RoutineEntry{sel::QTMLReferenceQuery, call_routine<r::qtml_reference_query>, sticky},
    };
    std::sort(table.begin(), table.end(),
              [](const RoutineEntry& a, const RoutineEntry& b) { return a.selector < b.selector; });
    return table;
}

constexpr auto routines = make_table();

static_assert(std::adjacent_find(routines.begin(), routines.end(),
                                 [](const RoutineEntry& a, const RoutineEntry& b) {
                                     return a.selector == b.selector;
                                 }) == routines.end(),
              "each selector answers one routine");

}  // namespace

const RoutineEntry* find_routine(std::uint32_t selector) {
    auto found = std::lower_bound(routines.begin(), routines.end(), selector,
                                  [](const RoutineEntry& entry, std::uint32_t s) { return entry.selector < s; });
    return found != routines.end() && found->selector == selector ? &*found : nullptr;
}

}  // namespace medialayer::dispatch
